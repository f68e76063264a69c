#include "TestDatabase.h"
#include "common/BrowseEditDialog.h"
#include "common/CommandRow.h"
#include "common/DataGrid.h"
#include "common/FormParts.h"
#include "common/Prompter.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QSignalSpy>
#include <QTest>

using namespace shoupai;
using namespace shoupai::formparts;
using namespace shoupai::test;

namespace {

// A screen that counts what its commands run.
class CountingScreen : public QDialog
{
public:
    void Add() { ++adds; }
    void Delete() { ++deletes; }
    int adds = 0;
    int deletes = 0;
};

bool isStretch(QLayoutItem* item)
{
    return item && item->spacerItem() && !item->widget();
}

// A list-and-edit screen over a one-column table, with one field.
class KindScreen : public BrowseEditDialog
{
public:
    explicit KindScreen(Database& database)
        : BrowseEditDialog(database, QStringLiteral("KindScreen"), QStringLiteral("种类"),
                           QStringLiteral("kindGrid"), nullptr)
    {
        m_grid->setKeyColumns({QStringLiteral("name")});
        m_grid->setColumns({GridColumn::plain(QStringLiteral("name"))});
        name = edit(QStringLiteral("nameEdit"), QStringLiteral("名称"), editGroup());
        auto* fields = new QHBoxLayout(editGroup());
        fields->addWidget(name);
        finishLayout(QSize(300, 200));
    }

    void Add() override
    {
        ++adds;
        m_modes.enter(EditModes::Mode::Adding);
    }
    void Change() override { m_modes.enter(EditModes::Mode::Changing); }
    void Delete() override { ++deletes; }
    void Save() override { m_modes.enter(EditModes::Mode::Browsing); }
    void Cancel() override { m_modes.enter(EditModes::Mode::Browsing); }
    void reload(const QString& sql, const QVariant& key)
    {
        reloadList(sql, QStringLiteral("name"), key);
    }
    void showCurrent() override
    {
        ++shows;
        name->setText(m_grid->hasCurrentRecord()
                          ? m_grid->currentValue(QStringLiteral("name")).toString()
                          : QString());
    }

    QLineEdit* name = nullptr;
    int adds = 0;
    int deletes = 0;
    int shows = 0;
};

QPushButton* buttonOf(QWidget& screen, const QString& name)
{
    return screen.findChild<QPushButton*>(name);
}

} // namespace

class TestScreenParts : public QObject
{
    Q_OBJECT

private slots:
    void commandRowNamesPlacesAndConnects()
    {
        CountingScreen screen;
        CommandRow toolbar(&screen);
        toolbar.add(
            &screen,
            {{QStringLiteral("addButton"), QStringLiteral("添加"), &CountingScreen::Add},
             {QStringLiteral("deleteButton"), QStringLiteral("删除"), &CountingScreen::Delete},
             {QStringLiteral("idleButton"), QStringLiteral("空"), nullptr}});
        QPushButton* quit = toolbar.addQuit(&screen);

        // The buttons in the order given, "退出" last, then the stretch.
        QHBoxLayout* row = toolbar.layout();
        QCOMPARE(row->count(), 5);
        const QStringList names = {QStringLiteral("addButton"), QStringLiteral("deleteButton"),
                                   QStringLiteral("idleButton"), QStringLiteral("closeButton")};
        for (int i = 0; i < names.size(); ++i) {
            auto* b = qobject_cast<QPushButton*>(row->itemAt(i)->widget());
            QVERIFY(b);
            QCOMPARE(b->objectName(), names[i]);
            QCOMPARE(b, toolbar.button(names[i]));
            QCOMPARE(b->parentWidget(), &screen);
            QCOMPARE(b->accessibleName(), b->text());
            QVERIFY(!b->autoDefault());
        }
        QVERIFY(isStretch(row->itemAt(4)));
        QCOMPARE(toolbar.buttons().size(), 4);
        QCOMPARE(toolbar.button(QStringLiteral("addButton"))->text(), QStringLiteral("添加"));
        QCOMPARE(quit->text(), QStringLiteral("退出"));
        QVERIFY(!toolbar.button(QStringLiteral("noSuchButton")));

        // Each click runs its own slot once; a button without one runs nothing.
        toolbar.button(QStringLiteral("addButton"))->click();
        toolbar.button(QStringLiteral("addButton"))->click();
        toolbar.button(QStringLiteral("deleteButton"))->click();
        toolbar.button(QStringLiteral("idleButton"))->click();
        QCOMPARE(screen.adds, 2);
        QCOMPARE(screen.deletes, 1);

        QSignalSpy rejected(&screen, &QDialog::rejected);
        quit->click();
        QCOMPARE(rejected.count(), 1);
        delete row;
    }

    void commandRowAlignments()
    {
        QWidget parent;
        CommandRow right(&parent, CommandRow::Align::Right);
        right.add(QStringLiteral("saveButton"), QStringLiteral("保存"));
        right.add(QStringLiteral("cancelButton"), QStringLiteral("取消"));
        QCOMPARE(right.layout()->count(), 3);
        QVERIFY(isStretch(right.layout()->itemAt(0)));
        QCOMPARE(right.layout()->itemAt(1)->widget(), right.button(QStringLiteral("saveButton")));
        QCOMPARE(right.layout()->itemAt(2)->widget(), right.button(QStringLiteral("cancelButton")));

        CommandRow fill(&parent, CommandRow::Align::Fill);
        fill.add(QStringLiteral("a"), QStringLiteral("甲"));
        fill.add(QStringLiteral("b"), QStringLiteral("乙"));
        QCOMPARE(fill.layout()->count(), 2);
        for (int i = 0; i < 2; ++i)
            QVERIFY(!isStretch(fill.layout()->itemAt(i)));
        delete right.layout();
        delete fill.layout();
    }

    void formGridOnFormLayout()
    {
        QWidget form;
        auto* layout = new QFormLayout(&form);
        QLineEdit* card = edit(QStringLiteral("cardEdit"), QStringLiteral("会员卡号"), &form);
        QComboBox* sex = choice(QStringLiteral("sexBox"), QStringLiteral("会员性别"), &form);
        QPlainTextEdit* remark = memo(QStringLiteral("remarkEdit"), QStringLiteral("备注"), &form);
        auto* cardRow = new QHBoxLayout;
        cardRow->addWidget(card);

        FormGrid grid(layout, &form);
        QLabel* cardCaption =
            grid.addRow(QStringLiteral("cardLabel"), QStringLiteral("会员卡号"), card, cardRow);
        grid.addRows({{QStringLiteral("sexLabel"), QStringLiteral("会员性别"), sex},
                      {QStringLiteral("remarkLabel"), QStringLiteral("备注"), remark}});

        QCOMPARE(layout->rowCount(), 3);
        // A field that stands with companions: the caption names the field, the row holds both.
        QCOMPARE(layout->itemAt(0, QFormLayout::LabelRole)->widget(), cardCaption);
        QCOMPARE(layout->itemAt(0, QFormLayout::FieldRole)->layout(), cardRow);
        QCOMPARE(cardCaption->buddy(), card);
        const QList<std::tuple<QString, QString, QWidget*>> rows = {
            {QStringLiteral("sexLabel"), QStringLiteral("会员性别"), sex},
            {QStringLiteral("remarkLabel"), QStringLiteral("备注"), remark}};
        int row = 1;
        for (const auto& [name, text, field] : rows) {
            auto* label =
                qobject_cast<QLabel*>(layout->itemAt(row, QFormLayout::LabelRole)->widget());
            QVERIFY(label);
            QCOMPARE(label->objectName(), name);
            QCOMPARE(label->text(), text);
            QCOMPARE(label->accessibleName(), text);
            QCOMPARE(label->buddy(), field);
            QCOMPARE(label->parentWidget(), &form);
            QCOMPARE(layout->itemAt(row, QFormLayout::FieldRole)->widget(), field);
            ++row;
        }
        QVERIFY(remark->tabChangesFocus());
    }

    void formGridOnGridLayout()
    {
        QWidget form;
        auto* layout = new QGridLayout(&form);
        QLineEdit* price = edit(QStringLiteral("priceEdit"), QStringLiteral("单价:"), &form);
        QLineEdit* stock = edit(QStringLiteral("stockEdit"), QStringLiteral("库存:"), &form);
        QLabel* own = caption(QStringLiteral("stockLabel"), QStringLiteral("库存:"), &form, stock);

        FormGrid grid(layout, &form);
        grid.setCaptionAlignment(Qt::AlignTop);
        grid.addNumberedRows({price});
        grid.addRow(own, stock);

        auto* first = qobject_cast<QLabel*>(layout->itemAtPosition(0, 0)->widget());
        QVERIFY(first);
        // Numbered captions read the field's own accessible name.
        QCOMPARE(first->objectName(), QStringLiteral("label1"));
        QCOMPARE(first->text(), QStringLiteral("单价:"));
        QCOMPARE(first->buddy(), price);
        QCOMPARE(layout->itemAtPosition(0, 0)->alignment(), Qt::AlignTop);
        QCOMPARE(layout->itemAtPosition(0, 1)->widget(), price);
        // A caption the screen keeps goes on the next row.
        QCOMPARE(layout->itemAtPosition(1, 0)->widget(), own);
        QCOMPARE(layout->itemAtPosition(1, 1)->widget(), stock);
        QCOMPARE(layout->rowCount(), 2);
    }

    void browseEditScreenWiresModesAndList()
    {
        ScriptedPrompter prompter;
        TestDatabase base;
        Database& db = base.database();
        db.exec(QStringLiteral("create table kinds (name varchar(20) primary key)"));
        for (const char* name : {"甲", "乙", "丙"})
            db.exec(QStringLiteral("insert into kinds (name) values (?)"),
                    {QString::fromUtf8(name)});

        KindScreen screen(db);
        QCOMPARE(screen.grid()->objectName(), QStringLiteral("kindGrid"));
        QCOMPARE(screen.grid()->accessibleName(), QStringLiteral("种类"));
        QCOMPARE(screen.accessibleName(), QStringLiteral("种类"));

        screen.reload(QStringLiteral("select * from kinds"), QStringLiteral("乙"));
        QCOMPARE(screen.grid()->recordCount(), 3);
        QCOMPARE(screen.name->text(), QStringLiteral("乙"));

        QPushButton* add = buttonOf(screen, QStringLiteral("addButton"));
        QPushButton* save = buttonOf(screen, QStringLiteral("saveButton"));
        QPushButton* close = buttonOf(screen, QStringLiteral("closeButton"));
        QCOMPARE(close->text(), QStringLiteral("退  出"));
        auto* group = screen.findChild<QGroupBox*>(QStringLiteral("editGroup"));
        QVERIFY(add->isEnabled() && !save->isEnabled() && !group->isEnabled());
        QVERIFY(screen.grid()->isEnabled());

        // The command runs the screen's own procedure, and editing locks the list.
        add->click();
        QCOMPARE(screen.adds, 1);
        QCOMPARE(screen.mode(), EditModes::Mode::Adding);
        QVERIFY(!add->isEnabled() && save->isEnabled() && group->isEnabled());
        QVERIFY(!screen.grid()->isEnabled() && !close->isEnabled());
        // While editing, moving in the list does not overwrite the fields, and Escape stays.
        screen.name->setText(QStringLiteral("丁"));
        QVERIFY(screen.grid()->selectByKey(QStringLiteral("name"), QStringLiteral("甲")));
        QSignalSpy rejected(&screen, &QDialog::rejected);
        screen.reject();
        QCOMPARE(rejected.count(), 0);
        QCOMPARE(screen.name->text(), QStringLiteral("丁"));

        buttonOf(screen, QStringLiteral("cancelButton"))->click();
        QCOMPARE(screen.mode(), EditModes::Mode::Browsing);
        buttonOf(screen, QStringLiteral("deleteButton"))->click();
        QCOMPARE(screen.deletes, 1);
        screen.reject();
        QCOMPARE(rejected.count(), 1);

        // A list that cannot be read is said, and the fields still follow.
        const int shows = screen.shows;
        screen.reload(QStringLiteral("select * from no_such_table"), {});
        QCOMPARE(prompter.shown().size(), 1);
        QCOMPARE(prompter.shown().last().kind, Prompter::Kind::Error);
        QCOMPARE(screen.shows, shows + 1);
    }
};

QTEST_MAIN(TestScreenParts)
#include "tst_screenparts.moc"
