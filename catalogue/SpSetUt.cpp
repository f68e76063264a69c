#include "catalogue/SpSetUt.h"

#include "app/Session.h"
#include "catalogue/BaoXiangUt.h"
#include "catalogue/RoomTypes.h"
#include "catalogue/SpAddUt.h"
#include "catalogue/SpEditUt.h"
#include "catalogue/TagRegister.h"
#include "common/CommandRow.h"
#include "common/DataGrid.h"
#include "common/FormParts.h"
#include "common/GridOutput.h"
#include "common/Prompter.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QTableView>
#include <QVBoxLayout>

namespace shoupai {

using namespace formparts;

namespace {
const QString TagKey = QStringLiteral("手牌号码");
const QString RoomKey = QStringLiteral("包厢类型");
// Listed by 序号, then by tag number (the grid's order).
const QString AllTags = QStringLiteral("select * from 手牌管理");
const QString RoomTags = QStringLiteral("select * from 手牌管理 where 所属包厢 = ?");

QString deleteQuestion(const QString& name)
{
    return QStringLiteral("您是否要删除\" ") + name + u'"';
}
} // namespace

TSpSetFm::TSpSetFm(Session& session, QWidget* parent) : QDialog(parent), m_session(session)
{
    setObjectName(QStringLiteral("TSpSetFm"));
    setWindowTitle(QStringLiteral("手牌与包厢设置"));
    setAccessibleName(windowTitle());

    auto* tagGroup = new QGroupBox(QStringLiteral("手牌管理"), this);
    tagGroup->setObjectName(QStringLiteral("tagGroup"));
    m_tags = new DataGrid(m_session.database(), tagGroup);
    m_tags->setObjectName(QStringLiteral("tagGrid"));
    m_tags->setAccessibleName(tagGroup->title());
    m_tags->setKindTable(QStringLiteral("手牌管理"));
    m_tags->setKeyColumns({TagKey});
    m_tags->model()->setDefaultOrder({QStringLiteral("number")});
    m_tags->setColumns({GridColumn::plain(TagKey, {}, 100),
                        GridColumn::plain(QStringLiteral("所属包厢"), {}, 100),
                        GridColumn::plain(QStringLiteral("手牌状态"), {}, 70),
                        GridColumn::plain(QStringLiteral("number"), QStringLiteral("序号"), 60)});
    CommandRow tagButtons(tagGroup, CommandRow::Align::Fill);
    tagButtons.add(
        this,
        {{QStringLiteral("addTagsButton"), QStringLiteral("添加"), &TSpSetFm::AddTags},
         {QStringLiteral("changeTagButton"), QStringLiteral("修改"), &TSpSetFm::ChangeTag},
         {QStringLiteral("deleteTagButton"), QStringLiteral("删除"), &TSpSetFm::DeleteTag},
         {QStringLiteral("refreshTagsButton"), QStringLiteral("刷新"), &TSpSetFm::RefreshTags},
         {QStringLiteral("exportTagsButton"), QStringLiteral("EXCEL"), &TSpSetFm::ExportTags}});
    auto* tagLayout = new QVBoxLayout(tagGroup);
    tagLayout->addWidget(m_tags, 1);
    tagLayout->addLayout(tagButtons.layout());

    auto* roomGroup = new QGroupBox(QStringLiteral("包厢管理"), this);
    roomGroup->setObjectName(QStringLiteral("roomGroup"));
    m_rooms = new DataGrid(m_session.database(), roomGroup);
    m_rooms->setObjectName(QStringLiteral("roomGrid"));
    m_rooms->setAccessibleName(roomGroup->title());
    m_rooms->setKindTable(QStringLiteral("包厢类型"));
    m_rooms->setKeyColumns({RoomKey});
    m_rooms->setColumns({GridColumn::plain(RoomKey, {}, 110),
                         GridColumn::money(QStringLiteral("门票价格"), {}, 80)});
    CommandRow roomButtons(roomGroup, CommandRow::Align::Fill);
    roomButtons.add(
        this,
        {{QStringLiteral("addRoomButton"), QStringLiteral("添加"), &TSpSetFm::AddRoomType},
         {QStringLiteral("changeRoomButton"), QStringLiteral("修改"), &TSpSetFm::ChangeRoomType},
         {QStringLiteral("deleteRoomButton"), QStringLiteral("删除"), &TSpSetFm::DeleteRoomType}});
    auto* roomLayout = new QVBoxLayout(roomGroup);
    roomLayout->addWidget(m_rooms, 1);
    roomLayout->addLayout(roomButtons.layout());

    CommandRow bottom(this, CommandRow::Align::Right);
    bottom.add(this, {{QStringLiteral("closeButton"), QStringLiteral("关闭"), &QDialog::accept}});
    connect(m_rooms->view(), &QAbstractItemView::clicked, this, [this] { ShowRoomTags(); });

    auto* groups = new QHBoxLayout;
    groups->addWidget(tagGroup, 3);
    groups->addWidget(roomGroup, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups, 1);
    layout->addLayout(bottom.layout());
    resize(760, 480);

    runRooms({});
    runTags(AllTags, {}, {});
}

QVariant TSpSetFm::currentTag() const
{
    return m_tags->hasCurrentRecord() ? m_tags->currentValue(TagKey) : QVariant();
}

QVariant TSpSetFm::currentRoom() const
{
    return m_rooms->hasCurrentRecord() ? m_rooms->currentValue(RoomKey) : QVariant();
}

void TSpSetFm::runTags(const QString& sql, const QVariantList& values, const QVariant& key)
{
    try {
        m_tags->setQuery(sql, values);
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
        return;
    }
    if (key.isValid())
        m_tags->selectByKey(TagKey, key);
}

void TSpSetFm::runRooms(const QVariant& key)
{
    try {
        m_rooms->setQuery(QStringLiteral("select * from 包厢类型"));
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
        return;
    }
    if (key.isValid())
        m_rooms->selectByKey(RoomKey, key);
}

void TSpSetFm::ShowRoomTags()
{
    const QVariant room = currentRoom();
    if (room.isValid())
        runTags(RoomTags, {room.toString()}, currentTag());
}

void TSpSetFm::RefreshTags()
{
    runTags(AllTags, {}, currentTag());
}

void TSpSetFm::AddTags()
{
    TSpAddFm batch(m_session, currentRoom().toString(), this);
    if (m_runModal(batch) == QDialog::Accepted)
        runTags(AllTags, {}, batch.firstTag());
}

void TSpSetFm::ChangeTag()
{
    const QVariant tag = currentTag();
    if (!tag.isValid())
        return;
    TSpEditFm editor(m_session, tag.toString(), this);
    if (m_runModal(editor) == QDialog::Accepted)
        runTags(AllTags, {}, editor.savedNumber());
    else
        RefreshTags();
}

void TSpSetFm::DeleteTag()
{
    const QVariant tag = currentTag();
    if (!tag.isValid())
        return;
    if (!Prompter::current().ask(deleteQuestion(tag.toString())))
        return;
    const SetupOutcome outcome = tagregister::deleteTag(m_session.database(), tag.toString());
    if (!outcome.done)
        Prompter::current().warn(outcome.message);
    try {
        m_tags->refresh();
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
    if (!outcome.done)
        m_tags->selectByKey(TagKey, tag);
}

void TSpSetFm::ExportTags()
{
    SpreadsheetExportOptions options;
    options.name = windowTitle();
    options.table = QStringLiteral("手牌管理");
    ExportGrid(m_session.database(), *m_tags, options);
}

void TSpSetFm::AddRoomType()
{
    TBaoXiangFm editor(m_session, {}, this);
    if (m_runModal(editor) == QDialog::Accepted)
        runRooms(editor.savedName());
}

void TSpSetFm::ChangeRoomType()
{
    const QVariant room = currentRoom();
    if (!room.isValid())
        return;
    TBaoXiangFm editor(m_session, room.toString(), this);
    if (m_runModal(editor) == QDialog::Accepted) {
        runRooms(editor.savedName());
        // A rename moved tags: the tag list shows them under the new name.
        RefreshTags();
    }
}

void TSpSetFm::DeleteRoomType()
{
    const QVariant room = currentRoom();
    if (!room.isValid())
        return;
    if (!Prompter::current().ask(deleteQuestion(room.toString())))
        return;
    const SetupOutcome outcome = roomtypes::deleteRoomType(m_session.database(), room.toString());
    if (!outcome.done)
        Prompter::current().warn(outcome.message);
    runRooms(outcome.done ? QVariant() : room);
}

void TSpSetFm::done(int result)
{
    QDialog::done(result);
    emit closedAfterSetup();
}

} // namespace shoupai
