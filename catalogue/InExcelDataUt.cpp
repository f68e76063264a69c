#include "catalogue/InExcelDataUt.h"

#include "app/Session.h"
#include "catalogue/GoodsImport.h"
#include "catalogue/ImportPassword.h"
#include "common/CommandRow.h"
#include "common/FormParts.h"
#include "common/Prompter.h"
#include "common/SpreadsheetReader.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTabWidget>
#include <QTime>
#include <QVBoxLayout>

namespace shoupai {

namespace {

QLabel* note(const QString& objectName, const QString& text, QWidget* parent)
{
    QLabel* label = formparts::caption(objectName, text, parent);
    label->setWordWrap(true);
    return label;
}

QListWidget* list(const QString& objectName, const QString& caption, QWidget* parent)
{
    auto* widget = new QListWidget(parent);
    widget->setObjectName(objectName);
    widget->setAccessibleName(caption);
    return widget;
}

SheetContent readWorkbook(const QString& path)
{
    return SpreadsheetReader::forFile(path)->read(path);
}

} // namespace

TInExcelDataFm::TInExcelDataFm(Session& session, QWidget* parent)
    : QDialog(parent), m_session(session)
{
    setObjectName(QStringLiteral("TInExcelDataFm"));
    setWindowTitle(QStringLiteral("Excel导入"));
    setAccessibleName(windowTitle());
    m_askFile = [this] {
        return QFileDialog::getOpenFileName(this, QStringLiteral("选择Excel"), QString(),
                                            spreadsheetFileFilter);
    };

    auto* top = new QVBoxLayout;
    top->addWidget(note(
        QStringLiteral("introLabel"),
        QStringLiteral("A表显示的是要导入的Excel表的第一行标题,B表是系统内数据项目名称."), this));
    top->addWidget(note(QStringLiteral("orderLabel"),
                        QStringLiteral("首先要把Excel的每列的数据按照B表的前后顺序调整好."), this));
    top->addWidget(note(QStringLiteral("matchLabel"),
                        QStringLiteral("A表和B表要一行一行对应,Excel里缺少的列请插入空白列补上;"
                                       "商品名必须填写,id不能重复,也可以让系统自动增加编号."),
                        this));

    auto* pages = new QTabWidget(this);
    pages->setObjectName(QStringLiteral("pages"));
    auto* page = new QWidget(pages);
    page->setObjectName(QStringLiteral("goodsPage"));
    pages->addTab(page, QStringLiteral("商品库"));

    m_titles = list(QStringLiteral("titleList"), QStringLiteral("Excel第一行"), page);
    m_columns = list(QStringLiteral("columnList"), QStringLiteral("数据库字段名"), page);
    m_columns->addItems(goodsimport::columnNames());
    m_failed = new QPlainTextEdit(page);
    m_failed->setObjectName(QStringLiteral("failedRows"));
    m_failed->setAccessibleName(QStringLiteral("导入失败的行号"));
    m_failed->setReadOnly(true);
    m_rowCount = formparts::value(QStringLiteral("rowCountLabel"), page);
    m_columnCount = formparts::value(QStringLiteral("columnCountLabel"), page);
    m_time = formparts::value(QStringLiteral("timeLabel"), page);
    m_progress = new QProgressBar(page);
    m_progress->setObjectName(QStringLiteral("progressBar"));
    m_progress->setAccessibleName(QStringLiteral("进度"));
    m_progress->setValue(0);
    m_autoNumber = new QCheckBox(QStringLiteral("自动增加编号"), page);
    m_autoNumber->setObjectName(QStringLiteral("autoNumberBox"));
    m_autoNumber->setAccessibleName(m_autoNumber->text());

    auto* heading =
        formparts::caption(QStringLiteral("headingLabel"), QStringLiteral("A  导入  B"), page);
    heading->setAlignment(Qt::AlignCenter);
    auto* grid = new QGridLayout(page);
    grid->addWidget(heading, 0, 0, 1, 2);
    grid->addWidget(formparts::caption(QStringLiteral("titleCaption"),
                                       QStringLiteral("Excel第一行"), page, m_titles),
                    1, 0);
    grid->addWidget(formparts::caption(QStringLiteral("columnCaption"),
                                       QStringLiteral("数据库字段名"), page, m_columns),
                    1, 1);
    grid->addWidget(formparts::caption(QStringLiteral("failedCaption"),
                                       QStringLiteral("导入失败的行号"), page, m_failed),
                    1, 2);
    grid->addWidget(m_titles, 2, 0);
    grid->addWidget(m_columns, 2, 1);
    grid->addWidget(m_failed, 2, 2);
    auto* side = new QVBoxLayout;
    side->addWidget(m_rowCount);
    side->addWidget(m_columnCount);
    side->addWidget(m_time);
    side->addWidget(note(QStringLiteral("causesLabel"),
                         QStringLiteral("导入失败的原因:id已经存在;该填数字的地方填了文字;"
                                        "商品类型不存在;日期格式如2008-8-8等."),
                         page));
    side->addStretch();
    side->addWidget(note(QStringLiteral("autoNumberNote"),
                         QStringLiteral("如果您的Excel数据中没有编号,那么请选择自动增加编号."),
                         page));
    side->addWidget(m_autoNumber);
    grid->addLayout(side, 2, 3);
    grid->addWidget(m_progress, 3, 0, 1, 4);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);

    CommandRow buttons(this, CommandRow::Align::Right);
    buttons.add(
        this,
        {{QStringLiteral("chooseButton"), QStringLiteral("选择Excel"),
          &TInExcelDataFm::ChooseExcel},
         {QStringLiteral("importButton"), QStringLiteral("开始导入"), &TInExcelDataFm::Import},
         {QStringLiteral("clearButton"), QStringLiteral("清空list"), &TInExcelDataFm::ClearLists},
         {QStringLiteral("closeButton"), QStringLiteral("退出"), &QDialog::reject}});
    m_choose = buttons.button(QStringLiteral("chooseButton"));
    m_import = buttons.button(QStringLiteral("importButton"));
    m_clear = buttons.button(QStringLiteral("clearButton"));
    m_close = buttons.button(QStringLiteral("closeButton"));
    m_import->setEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(pages, 1);
    layout->addLayout(buttons.layout());
    resize(760, 520);
}

void TInExcelDataFm::ChooseExcel()
{
    const QString path = m_askFile ? m_askFile() : QString();
    if (path.isEmpty())
        return; // cancelled: the screen stays as it was
    OpenWorkbook(path);
}

bool TInExcelDataFm::OpenWorkbook(const QString& path)
{
    m_progress->setValue(0);
    ClearLists();
    SheetContent content;
    try {
        content = readWorkbook(path);
    } catch (const SpreadsheetReadError& error) {
        Prompter::current().error(QStringLiteral("无法读取文件:") + error.reason());
        return false;
    }
    m_path = path;
    const int dataRows = std::max(0, int(content.rows.size()) - 1);
    m_rowCount->setText(QString::number(dataRows) + QStringLiteral("条数据(行数)"));
    m_columnCount->setText(QString::number(content.columnCount) + QStringLiteral("个商品(列数)"));
    if (!content.rows.isEmpty())
        m_titles->addItems(content.rows.first().cells);
    m_import->setEnabled(true);
    return true;
}

void TInExcelDataFm::Import()
{
    if (m_path.isEmpty())
        return;
    Prompter& prompter = Prompter::current();
    const QString typed = prompter
                              .input(QStringLiteral("请输入正确的密码"), QStringLiteral("密码:"),
                                     QString(), QLatin1Char('*'))
                              .value_or(QString());
    if (!isImportPassword(typed)) {
        prompter.warn(QStringLiteral("密码错误!"));
        return;
    }

    QElapsedTimer clock;
    clock.start();
    SheetContent content;
    try {
        content = readWorkbook(m_path);
    } catch (const SpreadsheetReadError& error) {
        prompter.error(QStringLiteral("无法读取文件:") + error.reason());
        return;
    }
    const QList<SheetRow> rows = goodsimport::dataRows(content);
    m_failed->clear();
    m_progress->setRange(0, std::max(1, int(rows.size()) * 2));
    m_progress->setValue(0);
    setBusy(true);
    const goodsimport::Outcome outcome = goodsimport::importRows(
        m_session.database(), rows, m_autoNumber->isChecked(), [this](int done, int total) {
            m_progress->setMaximum(std::max(1, total));
            m_progress->setValue(done);
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
    setBusy(false);
    m_progress->setValue(m_progress->maximum());

    QStringList lines;
    for (const goodsimport::Refusal& refusal : outcome.refused)
        lines << refusal.line();
    m_failed->setPlainText(lines.join(u'\n'));
    m_time->setText(
        QStringLiteral("时间:") +
        QTime(0, 0).addMSecs(int(clock.elapsed())).toString(QStringLiteral("hh:mm:ss")));
    m_import->setEnabled(false);
    if (outcome.failed())
        prompter.error(outcome.failure);
    else
        prompter.inform(QStringLiteral("完成!"));
}

void TInExcelDataFm::ClearLists()
{
    m_titles->clear();
    m_failed->clear();
}

void TInExcelDataFm::setBusy(bool busy)
{
    for (QPushButton* button : {m_choose, m_import, m_clear, m_close})
        button->setEnabled(!busy);
}

} // namespace shoupai
