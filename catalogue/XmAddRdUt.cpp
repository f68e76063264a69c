#include "catalogue/XmAddRdUt.h"

#include "app/Session.h"
#include "catalogue/Purchases.h"
#include "common/CommandRow.h"
#include "common/FormParts.h"
#include "common/Prompter.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace shoupai {

using namespace formparts;

TXmAddRdFm::TXmAddRdFm(Session& session, qint64 goodsKey, QWidget* parent)
    : QDialog(parent), m_session(session), m_goodsKey(goodsKey)
{
    setObjectName(QStringLiteral("TXmAddRdFm"));
    setWindowTitle(QStringLiteral("进货---"));
    setAccessibleName(windowTitle());

    m_name = edit(QStringLiteral("nameEdit"), QStringLiteral("名称"), this);
    m_initials = edit(QStringLiteral("initialsEdit"), QStringLiteral("拼音"), this);
    m_unitPrice = edit(QStringLiteral("unitPriceEdit"), QStringLiteral("进货单价"), this);
    m_quantity = edit(QStringLiteral("quantityEdit"), QStringLiteral("数量"), this);
    m_total = edit(QStringLiteral("totalEdit"), QStringLiteral("总进价"), this);
    m_stock = edit(QStringLiteral("stockEdit"), QStringLiteral("当前库存"), this);
    for (QLineEdit* shown : {m_name, m_initials, m_total, m_stock})
        shown->setReadOnly(true);
    m_remark = new QPlainTextEdit(this);
    m_remark->setObjectName(QStringLiteral("remarkEdit"));
    m_remark->setAccessibleName(QStringLiteral("备注"));

    auto* grid = new QGridLayout;
    FormGrid form(grid, this);
    form.setCaptionAlignment(Qt::AlignTop);
    form.addRows({{QStringLiteral("nameLabel"), QStringLiteral("名称"), m_name},
                  {QStringLiteral("initialsLabel"), QStringLiteral("拼音"), m_initials},
                  {QStringLiteral("unitPriceLabel"), QStringLiteral("进货单价"), m_unitPrice},
                  {QStringLiteral("quantityLabel"), QStringLiteral("数量"), m_quantity},
                  {QStringLiteral("totalLabel"), QStringLiteral("总进价"), m_total},
                  {QStringLiteral("stockLabel"), QStringLiteral("当前库存"), m_stock},
                  {QStringLiteral("remarkLabel"), QStringLiteral("备注"), m_remark}});
    CommandRow buttons(this, CommandRow::Align::Right);
    buttons.add(this,
                {{QStringLiteral("confirmButton"), QStringLiteral("确定"), &TXmAddRdFm::Confirm},
                 {QStringLiteral("closeButton"), QStringLiteral("关闭"), &QDialog::reject}});
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons.layout());
    resize(360, 380);

    connect(m_unitPrice, &QLineEdit::textChanged, this, &TXmAddRdFm::recompute);
    connect(m_quantity, &QLineEdit::textChanged, this, &TXmAddRdFm::recompute);

    try {
        Rows item = m_session.database().query(
            QStringLiteral("select 商品名, 拼音, 库存 from 商品库 where ID = ?"),
            {QVariant::fromValue<qlonglong>(m_goodsKey)});
        if (item.next()) {
            m_name->setText(item.text(QStringLiteral("商品名")));
            m_initials->setText(item.text(QStringLiteral("拼音")));
            m_stock->setText(item.isNull(QStringLiteral("库存"))
                                 ? QString()
                                 : QString::number(item.integer(QStringLiteral("库存"))));
        }
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
}

void TXmAddRdFm::recompute()
{
    // A value that cannot be read leaves the last total standing.
    if (const std::optional<Money> total =
            purchases::totalOf(m_unitPrice->text(), m_quantity->text()))
        m_total->setText(total->toString());
}

void TXmAddRdFm::Confirm()
{
    if (m_unitPrice->text().trimmed().isEmpty() || m_quantity->text().trimmed().isEmpty())
        return;
    PurchaseEntry entry;
    entry.goodsKey = m_goodsKey;
    entry.unitPriceText = m_unitPrice->text();
    entry.quantityText = m_quantity->text();
    entry.remark = m_remark->toPlainText();
    entry.operatorName = m_session.operatorName;
    entry.date = m_today();
    const CatalogueOutcome outcome = purchases::record(m_session.database(), entry);
    if (!outcome.done) {
        Prompter::current().warn(outcome.message);
        return;
    }
    Prompter::current().inform(QStringLiteral("完成!"));
    accept();
}

} // namespace shoupai
