#include "catalogue/XmKindUt.h"

#include "app/Session.h"
#include "catalogue/GoodsTypes.h"
#include "common/DataGrid.h"
#include "common/FormParts.h"
#include "common/Prompter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>

namespace shoupai {

using namespace formparts;

namespace {
const QString Key = QStringLiteral("名称");
}

TXmKindFm::TXmKindFm(Session& session, QWidget* parent)
    : BrowseEditDialog(session.database(), QStringLiteral("TXmKindFm"), QStringLiteral("商品类型"),
                       QStringLiteral("typeGrid"), parent),
      m_session(session)
{
    m_grid->setKindTable(QStringLiteral("商品类型"));
    m_grid->setKeyColumns({Key});
    m_grid->setColumns({GridColumn::plain(Key, {}, 140),
                        GridColumn::plain(QStringLiteral("库存"), {}, 60),
                        GridColumn::plain(QStringLiteral("参与打折"), {}, 70),
                        GridColumn::plain(QStringLiteral("是否需要服务"), {}, 90)});

    QGroupBox* group = editGroup();
    m_name = edit(QStringLiteral("nameEdit"), QStringLiteral("名称"), group);
    m_stock = new QCheckBox(QStringLiteral("是否有库存属性"), group);
    m_stock->setObjectName(QStringLiteral("stockCheck"));
    m_stock->setAccessibleName(m_stock->text());
    m_service = new QCheckBox(QStringLiteral("是否需要服务"), group);
    m_service->setObjectName(QStringLiteral("serviceCheck"));
    m_service->setAccessibleName(m_service->text());
    m_discount = new QComboBox(group);
    m_discount->setObjectName(QStringLiteral("discountBox"));
    m_discount->setAccessibleName(QStringLiteral("参与打折"));
    m_discount->addItems({QStringLiteral("y"), QStringLiteral("n")});
    auto* fields = new QHBoxLayout(group);
    fields->addWidget(caption(QStringLiteral("nameLabel"), QStringLiteral("名称"), group, m_name));
    fields->addWidget(m_name);
    fields->addWidget(m_stock);
    fields->addWidget(m_service);
    fields->addWidget(
        caption(QStringLiteral("discountLabel"), QStringLiteral("参与打折"), group, m_discount));
    fields->addWidget(m_discount);

    finishLayout(QSize(560, 420));
    reload();
}

void TXmKindFm::reload(const QVariant& key)
{
    reloadList(QStringLiteral("select * from 商品类型"), Key, key);
}

void TXmKindFm::showCurrent()
{
    const bool has = m_grid->hasCurrentRecord();
    m_name->setText(has ? m_grid->currentValue(Key).toString() : QString());
    m_stock->setChecked(has && stored::toFlag(m_grid->currentValue(QStringLiteral("库存"))));
    m_service->setChecked(has &&
                          stored::toFlag(m_grid->currentValue(QStringLiteral("是否需要服务"))));
    m_discount->setCurrentText(has ? m_grid->currentValue(QStringLiteral("参与打折")).toString()
                                   : QStringLiteral("y"));
}

void TXmKindFm::Add()
{
    reload();
    m_editing.clear();
    m_name->clear();
    m_stock->setChecked(false);
    m_service->setChecked(false);
    m_discount->setCurrentText(QStringLiteral("y"));
    m_modes.enter(EditModes::Mode::Adding);
    m_name->setFocus();
}

void TXmKindFm::Change()
{
    if (!m_grid->hasCurrentRecord())
        return;
    m_editing = m_grid->currentValue(Key).toString();
    showCurrent();
    m_modes.enter(EditModes::Mode::Changing);
}

void TXmKindFm::Delete()
{
    if (m_grid->recordCount() == 0) {
        Prompter::current().warn(QStringLiteral("没有记录可以删除!"));
        return;
    }
    if (!m_grid->hasCurrentRecord())
        return;
    const QString name = m_grid->currentValue(Key).toString();
    if (!Prompter::current().ask(QStringLiteral("您是否要删除\" ") + name + u'"'))
        return;
    const CatalogueOutcome outcome = goodstypes::deleteType(m_session.database(), name);
    if (!outcome.done)
        Prompter::current().warn(outcome.message);
    reload();
}

void TXmKindFm::Save()
{
    GoodsType type;
    type.name = m_name->text();
    type.keepsStock = m_stock->isChecked();
    type.needsService = m_service->isChecked();
    type.discount = m_discount->currentText();
    const CatalogueOutcome outcome = goodstypes::saveType(m_session.database(), type, m_editing);
    if (!outcome.done) {
        Prompter::current().warn(outcome.message);
        return;
    }
    m_editing.clear();
    m_modes.enter(EditModes::Mode::Browsing);
    reload(type.name.trimmed());
}

void TXmKindFm::Cancel()
{
    m_editing.clear();
    m_modes.enter(EditModes::Mode::Browsing);
    showCurrent();
}

} // namespace shoupai
