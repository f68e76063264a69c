#include "catalogue/BaoXiangUt.h"

#include "app/Session.h"
#include "catalogue/RoomTypes.h"
#include "common/CommandRow.h"
#include "common/FormParts.h"
#include "common/Prompter.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>

namespace shoupai {

using namespace formparts;

TBaoXiangFm::TBaoXiangFm(Session& session, const QString& name, QWidget* parent)
    : QDialog(parent), m_session(session), m_original(name)
{
    setObjectName(QStringLiteral("TBaoXiangFm"));
    setWindowTitle(QStringLiteral("包厢设置"));
    setAccessibleName(windowTitle());

    m_name = edit(QStringLiteral("nameEdit"), QStringLiteral("包厢类型:"), this);
    m_nature = edit(QStringLiteral("natureEdit"), QStringLiteral("包厢性质:"), this);
    m_billing = choice(QStringLiteral("billingBox"), QStringLiteral("计费方式:"), this);
    m_billing->setEditable(true);
    m_price = edit(QStringLiteral("priceEdit"), QStringLiteral("门票价格:"), this);
    m_capacity = edit(QStringLiteral("capacityEdit"), QStringLiteral("容纳人数:"), this);
    CommandRow buttons(this, CommandRow::Align::Right);
    buttons.add(this, {{QStringLiteral("saveButton"), QStringLiteral("保存"), &TBaoXiangFm::Save},
                       {QStringLiteral("cancelButton"), QStringLiteral("取消"), &QDialog::reject}});

    auto* form = new QFormLayout(this);
    FormGrid(form, this).addNumberedRows({m_name, m_nature, m_billing, m_price, m_capacity});
    form->addRow(buttons.layout());

    try {
        m_billing->addItems(roomtypes::billingModes(m_session.database()));
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
    m_billing->setCurrentIndex(-1);
    if (!m_original.isEmpty())
        load();
}

void TBaoXiangFm::load()
{
    try {
        Rows row = m_session.database().query(
            QStringLiteral("select * from 包厢类型 where 包厢类型 = ?"), {m_original});
        if (!row.next())
            return;
        m_name->setText(row.text(QStringLiteral("包厢类型")));
        m_nature->setText(row.text(QStringLiteral("包厢性质")));
        m_billing->setCurrentText(row.text(QStringLiteral("计费方式")));
        m_price->setText(row.money(QStringLiteral("门票价格")).toString());
        if (!row.isNull(QStringLiteral("容纳人数")))
            m_capacity->setText(QString::number(row.value(QStringLiteral("容纳人数")).toDouble()));
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
}

void TBaoXiangFm::Save()
{
    RoomTypeRecord record;
    record.name = m_name->text();
    record.nature = m_nature->text();
    record.billingMode = m_billing->currentText();
    record.ticketPrice = m_price->text();
    record.capacity = m_capacity->text();
    const SetupOutcome outcome = roomtypes::saveRoomType(m_session.database(), m_original, record);
    if (!outcome.done) {
        Prompter::current().warn(outcome.message);
        return;
    }
    m_saved = record.name.trimmed();
    accept();
}

} // namespace shoupai
