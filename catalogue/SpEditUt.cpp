#include "catalogue/SpEditUt.h"

#include "app/Session.h"
#include "catalogue/RoomTypes.h"
#include "catalogue/TagRegister.h"
#include "catalogue/TagStates.h"
#include "common/CommandRow.h"
#include "common/FormParts.h"
#include "common/Prompter.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>

namespace shoupai {

using namespace formparts;

TSpEditFm::TSpEditFm(Session& session, const QString& tag, QWidget* parent)
    : QDialog(parent), m_session(session), m_original(tag)
{
    setObjectName(QStringLiteral("TSpEditFm"));
    setWindowTitle(QStringLiteral("手牌信息"));
    setAccessibleName(windowTitle());

    m_number = edit(QStringLiteral("numberEdit"), QStringLiteral("手牌号码:"), this);
    // Lists only: a typed room type or "占用" would make a tag no tab or bill knows.
    m_room = choice(QStringLiteral("roomBox"), QStringLiteral("所属包厢:"), this);
    m_state = choice(QStringLiteral("stateBox"), QStringLiteral("手牌状态:"), this);
    m_state->addItems(tagstates::settable());
    m_sortKey = edit(QStringLiteral("sortKeyEdit"), QStringLiteral("序号:"), this);
    CommandRow buttons(this, CommandRow::Align::Right);
    buttons.add(this, {{QStringLiteral("saveButton"), QStringLiteral("保存"), &TSpEditFm::Save},
                       {QStringLiteral("cancelButton"), QStringLiteral("取消"), &QDialog::reject}});
    buttons.button(QStringLiteral("saveButton"))->setDefault(true);

    auto* form = new QFormLayout(this);
    FormGrid(form, this).addNumberedRows({m_number, m_room, m_state, m_sortKey});
    form->addRow(buttons.layout());

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
