#include "members/SeticmUt.h"

#include "app/Session.h"
#include "common/Prompter.h"
#include "members/IcCard.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace shoupai {

namespace {

const QString Section = QStringLiteral("IcCard");

template <typename W> W* named(W* widget, const QString& objectName, const QString& caption)
{
    widget->setObjectName(objectName);
    widget->setAccessibleName(caption);
    return widget;
}

QPushButton* button(const QString& objectName, const QString& caption, QWidget* parent)
{
    auto* b = named(new QPushButton(caption, parent), objectName, caption);
    b->setAutoDefault(false);
    return b;
}

} // namespace

TSeticmFm::TSeticmFm(Session& session, QWidget* parent) : QDialog(parent), m_session(session)
{
    setObjectName(QStringLiteral("TSeticmFm"));
    setWindowTitle(QStringLiteral("IC设备设置"));
    setAccessibleName(windowTitle());

    m_log = named(new QPlainTextEdit(this), QStringLiteral("logBox"), QStringLiteral("日志"));
    m_log->setReadOnly(true);
    m_log->setMinimumSize(360, 180);

    auto* probe =
        button(QStringLiteral("probeButton"), QStringLiteral("测试设备并保存测试值"), this);
    m_startup = named(new QCheckBox(QStringLiteral("启动时初始化设备"), this),
                      QStringLiteral("startupBox"), QStringLiteral("启动时初始化设备"));
    // The reader flag as stored; it takes effect at the next start.
    m_startup->setChecked(m_session.config().read(Section, QStringLiteral("reader")).trimmed() ==
                          u"1");
    auto* read = button(QStringLiteral("readButton"), QStringLiteral("读卡测试"), this);
    auto* write = button(QStringLiteral("writeButton"), QStringLiteral("写卡测试"), this);
    m_writeText = named(new QLineEdit(QStringLiteral("0123456789"), this),
                        QStringLiteral("writeField"), QStringLiteral("写卡测试"));

    auto* writeRow = new QHBoxLayout;
    writeRow->addWidget(write);
    writeRow->addWidget(m_writeText, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_log, 1);
    layout->addWidget(probe);
    layout->addWidget(m_startup);
    layout->addWidget(read);
    layout->addLayout(writeRow);

    connect(probe, &QPushButton::clicked, this, &TSeticmFm::Probe);
    connect(read, &QPushButton::clicked, this, &TSeticmFm::ReadTest);
    connect(write, &QPushButton::clicked, this, &TSeticmFm::WriteTest);
    connect(m_startup, &QCheckBox::clicked, this, &TSeticmFm::SetStartupInit);
}

void TSeticmFm::appendLog(const QStringList& lines)
{
    for (const QString& line : lines)
        m_log->appendPlainText(line);
}

void TSeticmFm::Probe()
{
    QStringList lines;
    IcProbe(lines);
    appendLog(lines);
}

void TSeticmFm::ReadTest()
{
    appendLog({QStringLiteral("读取值为:") + IcRead()});
}

void TSeticmFm::WriteTest()
{
    IcWrite(m_writeText->text());
}

void TSeticmFm::SetStartupInit(bool on)
{
    if (!m_session.config().write(Section, QStringLiteral("reader"),
                                  on ? QStringLiteral("1") : QStringLiteral("0"))) {
        Prompter::current().error(
            QStringLiteral("无法保存设置到%1").arg(m_session.config().path()));
        const QSignalBlocker blocker(m_startup);
        m_startup->setChecked(!on);
        return;
    }
    m_startup->setChecked(on);
}

} // namespace shoupai
