#include "catalogue/SpEditUt.h"

#include "app/Session.h"
#include "billing/FormParts.h"
#include "catalogue/RoomTypes.h"
#include "catalogue/TagRegister.h"
#include "catalogue/TagStates.h"
#include "common/Prompter.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>

namespace shoupai {

using namespace formparts;

namespace {

QComboBox* selector(const QString& objectName, const QString& captionText, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(objectName);
    box->setAccessibleName(captionText);
    return box;
}

} // namespace

TSpEditFm::TSpEditFm(Session& session, const QString& tag, QWidget* parent)
    : QDialog(parent), m_session(session), m_original(tag)
{
    setObjectName(QStringLiteral("TSpEditFm"));
    setWindowTitle(QStringLiteral("手牌信息"));
    setAccessibleName(windowTitle());

    m_number = edit(QStringLiteral("numberEdit"), QStringLiteral("手牌号码:"), this);
    // Lists only: a typed room type or "占用" would make a tag no tab or bill knows.
    m_room = selector(QStringLiteral("roomBox"), QStringLiteral("所属包厢:"), this);
    m_state = selector(QStringLiteral("stateBox"), QStringLiteral("手牌状态:"), this);
    m_state->addItems(tagstates::settable());
    m_sortKey = edit(QStringLiteral("sortKeyEdit"), QStringLiteral("序号:"), this);
    auto* save = button(QStringLiteral("saveButton"), QStringLiteral("保存"), this);
    save->setDefault(true);
    auto* cancel = button(QStringLiteral("cancelButton"), QStringLiteral("取消"), this);

    auto* form = new QFormLayout(this);
    const QList<QWidget*> fields = {m_number, m_room, m_state, m_sortKey};
    int n = 0;
    for (QWidget* field : fields)
        form->addRow(
            caption(QStringLiteral("label%1").arg(++n), field->accessibleName(), this, field),
            field);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(cancel);
    form->addRow(buttons);

    connect(save, &QPushButton::clicked, this, &TSpEditFm::Save);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    try {
        m_room->addItems(roomtypes::names(m_session.database()));
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
    load();
}

void TSpEditFm::load()
{
    try {
        Rows row = m_session.database().query(
            QStringLiteral("select * from 手牌管理 where 手牌号码 = ?"), {m_original});
        if (!row.next())
            return;
        m_number->setText(row.text(QStringLiteral("手牌号码")));
        m_room->setCurrentIndex(m_room->findText(row.text(QStringLiteral("所属包厢"))));
        m_state->setCurrentIndex(m_state->findText(row.text(QStringLiteral("手牌状态"))));
        if (!row.isNull(QStringLiteral("number")))
            m_sortKey->setText(QString::number(row.integer(QStringLiteral("number"))));
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
}

void TSpEditFm::Save()
{
    TagRecord record;
    record.number = m_number->text();
    record.roomType = m_room->currentIndex() >= 0 ? m_room->currentText() : QString();
    record.state = m_state->currentIndex() >= 0 ? m_state->currentText() : QString();
    record.sortKey = m_sortKey->text();
    const SetupOutcome outcome = tagregister::saveTag(m_session.database(), m_original, record);
    if (!outcome.done) {
        Prompter::current().warn(outcome.message);
        return;
    }
    m_saved = record.number.trimmed();
    accept();
}

} // namespace shoupai
