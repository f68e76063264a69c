#include "catalogue/XmAddUt.h"

#include "app/Session.h"
#include "catalogue/GoodsItems.h"
#include "catalogue/GoodsTypes.h"
#include "catalogue/SelectAllOnFocus.h"
#include "common/CommandRow.h"
#include "common/FormParts.h"
#include "common/Prompter.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace shoupai {

using namespace formparts;

TXmAddFm::TXmAddFm(Session& session, QWidget* parent) : QDialog(parent), m_session(session)
{
    setObjectName(QStringLiteral("TXmAddFm"));
    setWindowTitle(QStringLiteral("增加消费项目"));
    setAccessibleName(windowTitle());

    m_name = edit(QStringLiteral("nameEdit"), QStringLiteral("名称:"), this);
    m_type = choice(QStringLiteral("typeBox"), QStringLiteral("类型:"), this);
    m_price = edit(QStringLiteral("priceEdit"), QStringLiteral("售价:"), this);
    m_service = choice(QStringLiteral("serviceBox"), QStringLiteral("是否需要服务:"), this);
    m_service->addItems({QStringLiteral("是"), QStringLiteral("否")});
    m_service->setCurrentIndex(1);
    m_code = edit(QStringLiteral("codeEdit"), QStringLiteral("编号:"), this);
    m_commission = edit(QStringLiteral("commissionEdit"), QStringLiteral("提成金额:"), this);
    m_commission->setText(QStringLiteral("0"));
    m_quantity = edit(QStringLiteral("quantityEdit"), QStringLiteral("数量:"), this);
    m_purchasePrice = edit(QStringLiteral("purchasePriceEdit"), QStringLiteral("进价:"), this);
    m_purchasePrice->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this));
    m_initials = edit(QStringLiteral("initialsEdit"), QStringLiteral("拼音:"), this);
    for (QLineEdit* field : {m_price, m_commission, m_code})
        new SelectAllOnFocus(field);

    m_quantityLabel =
        caption(QStringLiteral("quantityLabel"), QStringLiteral("数量:"), this, m_quantity);
    m_purchasePriceLabel = caption(QStringLiteral("purchasePriceLabel"), QStringLiteral("进价:"),
                                   this, m_purchasePrice);

    auto* grid = new QGridLayout;
    FormGrid form(grid, this);
    form.addRows({{QStringLiteral("nameLabel"), QStringLiteral("名称:"), m_name},
                  {QStringLiteral("typeLabel"), QStringLiteral("类型:"), m_type},
                  {QStringLiteral("priceLabel"), QStringLiteral("售价:"), m_price},
                  {QStringLiteral("serviceLabel"), QStringLiteral("是否需要服务:"), m_service},
                  {QStringLiteral("codeLabel"), QStringLiteral("编号:"), m_code},
                  {QStringLiteral("commissionLabel"), QStringLiteral("提成金额:"), m_commission},
                  {QStringLiteral("initialsLabel"), QStringLiteral("拼音:"), m_initials}});
    form.addRow(m_quantityLabel, m_quantity);
    form.addRow(m_purchasePriceLabel, m_purchasePrice);

    CommandRow buttons(this, CommandRow::Align::Right);
    buttons.add(this, {{QStringLiteral("saveButton"), QStringLiteral("保存"), &TXmAddFm::Save},
                       {QStringLiteral("cancelButton"), QStringLiteral("取消"), &QDialog::reject}});

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons.layout());
    resize(360, 360);

    connect(m_name, &QLineEdit::textChanged, this,
            [this](const QString& name) { m_initials->setText(goodsitems::initialsOf(name)); });

    try {
        Rows types =
            m_session.database().query(QStringLiteral("select 名称 from 商品类型 order by 名称"));
        while (types.next())
            m_type->addItem(types.text(QStringLiteral("名称")));
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
    connect(m_type, &QComboBox::currentTextChanged, this, &TXmAddFm::ShowNumItem);
    ShowNumItem();
}

void TXmAddFm::ShowNumItem()
{
    bool keeps = false;
    try {
        keeps = goodstypes::keepsStock(m_session.database(), m_type->currentText()).value_or(false);
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
    m_stockShown = keeps;
    for (QWidget* widget :
         {static_cast<QWidget*>(m_quantityLabel), static_cast<QWidget*>(m_quantity),
          static_cast<QWidget*>(m_purchasePriceLabel), static_cast<QWidget*>(m_purchasePrice)})
        widget->setVisible(keeps);
}

void TXmAddFm::Save()
{
    GoodsEntry entry;
    entry.code = m_code->text();
    entry.name = m_name->text();
    entry.initials = m_initials->text();
    entry.priceText = m_price->text();
    entry.commissionText = m_commission->text();
    entry.type = m_type->currentText();
    entry.needsService = m_service->currentText();
    std::optional<OpeningStock> opening;
    if (m_stockShown)
        opening = OpeningStock{m_quantity->text(), m_purchasePrice->text()};
    const CatalogueOutcome outcome = goodsitems::addItem(
        m_session.database(), entry, opening, m_session.operatorName, m_today(), &m_savedKey);
    if (!outcome.done) {
        Prompter::current().warn(outcome.message);
        return;
    }
    accept();
}

} // namespace shoupai
