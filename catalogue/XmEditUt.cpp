#include "catalogue/XmEditUt.h"

#include "app/Session.h"
#include "catalogue/GoodsItems.h"
#include "catalogue/SelectAllOnFocus.h"
#include "common/CommandRow.h"
#include "common/FormParts.h"
#include "common/Prompter.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace shoupai {

using namespace formparts;

TXmEditFm::TXmEditFm(Session& session, qint64 key, QWidget* parent)
    : QDialog(parent), m_session(session), m_key(key)
{
    setObjectName(QStringLiteral("TXmEditFm"));
    setWindowTitle(QStringLiteral("修改"));
    setAccessibleName(windowTitle());

    m_fields = new QGroupBox(this);
    m_fields->setObjectName(QStringLiteral("fieldGroup"));
    m_name = edit(QStringLiteral("nameEdit"), QStringLiteral("名称"), m_fields);
    m_type = new QComboBox(m_fields);
    m_type->setObjectName(QStringLiteral("typeBox"));
    m_type->setAccessibleName(QStringLiteral("类型"));
    m_price = edit(QStringLiteral("priceEdit"), QStringLiteral("单价"), m_fields);
    m_service = new QComboBox(m_fields);
    m_service->setObjectName(QStringLiteral("serviceBox"));
    m_service->setAccessibleName(QStringLiteral("是否需要服务"));
    m_service->addItems({QStringLiteral("是"), QStringLiteral("否")});
    m_code = edit(QStringLiteral("codeEdit"), QStringLiteral("编号"), m_fields);
    m_commission = edit(QStringLiteral("commissionEdit"), QStringLiteral("提成金额"), m_fields);
    m_stock = edit(QStringLiteral("stockEdit"), QStringLiteral("库存"), m_fields);
    m_initials = edit(QStringLiteral("initialsEdit"), QStringLiteral("拼音"), m_fields);
    for (QLineEdit* field : {m_price, m_commission, m_code})
        new SelectAllOnFocus(field);

    FormGrid(new QGridLayout(m_fields), m_fields)
        .addRows({{QStringLiteral("nameLabel"), QStringLiteral("名称"), m_name},
                  {QStringLiteral("typeLabel"), QStringLiteral("类型"), m_type},
                  {QStringLiteral("priceLabel"), QStringLiteral("单价"), m_price},
                  {QStringLiteral("serviceLabel"), QStringLiteral("是否需要服务"), m_service},
                  {QStringLiteral("codeLabel"), QStringLiteral("编号"), m_code},
                  {QStringLiteral("commissionLabel"), QStringLiteral("提成金额"), m_commission},
                  {QStringLiteral("stockLabel"), QStringLiteral("库存"), m_stock},
                  {QStringLiteral("initialsLabel"), QStringLiteral("拼音"), m_initials}});

    CommandRow buttons(this, CommandRow::Align::Right);
    buttons.add(this, {{QStringLiteral("saveButton"), QStringLiteral("保存"), &TXmEditFm::Save},
                       {QStringLiteral("cancelButton"), QStringLiteral("取消修改"),
                        &TXmEditFm::CancelChanges},
                       {QStringLiteral("closeButton"), QStringLiteral("关闭"), &QDialog::reject}});
    m_save = buttons.button(QStringLiteral("saveButton"));
    m_cancel = buttons.button(QStringLiteral("cancelButton"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_fields);
    layout->addLayout(buttons.layout());
    resize(360, 360);

    const bool permitted = m_session.permissions.has(Permission::EditGoods);
    try {
        Rows types =
            m_session.database().query(QStringLiteral("select 名称 from 商品类型 order by 名称"));
        while (types.next())
            m_type->addItem(types.text(QStringLiteral("名称")));
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
    }
    load();
    connect(m_name, &QLineEdit::textChanged, this,
            [this](const QString& name) { m_initials->setText(goodsitems::initialsOf(name)); });
    if (!permitted) {
        m_fields->setEnabled(false);
        m_save->setEnabled(false);
        m_cancel->setEnabled(false);
        Prompter::current().warn(QStringLiteral("没有权限"));
    }
}

bool TXmEditFm::isReadOnly() const
{
    return !m_save->isEnabled();
}

bool TXmEditFm::load()
{
    try {
        Rows item = m_session.database().query(QStringLiteral("select * from 商品库 where ID = ?"),
                                               {QVariant::fromValue<qlonglong>(m_key)});
        if (!item.next()) {
            Prompter::current().warn(goodsitems::Gone);
            return false;
        }
        const QSignalBlocker quiet(m_name);
        m_name->setText(item.text(QStringLiteral("商品名")));
        const QString type = item.text(QStringLiteral("商品类型"));
        if (m_type->findText(type) < 0)
            m_type->addItem(type); // a type deleted since; shown as it is stored
        m_type->setCurrentText(type);
        m_price->setText(item.money(QStringLiteral("单价")).toString());
        m_service->setCurrentText(item.text(QStringLiteral("是否需要服务")));
        m_code->setText(item.text(QStringLiteral("编号")));
        m_commission->setText(item.money(QStringLiteral("提成金额")).toString());
        m_loadedStock.reset();
        if (!item.isNull(QStringLiteral("库存")))
            m_loadedStock = item.integer(QStringLiteral("库存"));
        m_stock->setText(m_loadedStock ? QString::number(*m_loadedStock) : QString());
        m_initials->setText(item.text(QStringLiteral("拼音")));
    } catch (const DatabaseError& error) {
        Prompter::current().error(error.text());
        return false;
    }
    return true;
}

void TXmEditFm::CancelChanges()
{
    load();
}

void TXmEditFm::Save()
{
    if (isReadOnly())
        return;
    GoodsEntry entry;
    entry.code = m_code->text();
    entry.name = m_name->text();
    entry.initials = m_initials->text();
    entry.priceText = m_price->text();
    entry.commissionText = m_commission->text();
    entry.type = m_type->currentText();
    entry.needsService = m_service->currentText();
    const CatalogueOutcome outcome =
        goodsitems::changeItem(m_session.database(), m_key, entry, m_loadedStock, m_stock->text());
    if (!outcome.done) {
        Prompter::current().warn(outcome.message);
        return;
    }
    accept();
}

} // namespace shoupai
