#include "billing/PosPrtSetUt.h"

#include "app/Session.h"
#include "common/CommandRow.h"
#include "common/Prompter.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace shoupai {

namespace {

const QString Section = QStringLiteral("PosPrt");

template <typename W> W* named(W* widget, const QString& objectName, const QString& caption)
{
    widget->setObjectName(objectName);
    widget->setAccessibleName(caption);
    return widget;
}

} // namespace

TPosPrtSetFm::TPosPrtSetFm(Session& session, QWidget* parent) : QDialog(parent), m_session(session)
{
    setObjectName(QStringLiteral("TPosPrtSetFm"));
    setWindowTitle(QStringLiteral("Pos打印机设置"));
    setAccessibleName(windowTitle());

    auto* modeBox =
        named(new QGroupBox(QStringLiteral("结帐-打印按钮的默认状态"), this),
              QStringLiteral("defaultModeGroup"), QStringLiteral("结帐-打印按钮的默认状态"));
    m_preview = named(new QRadioButton(QStringLiteral("预览"), modeBox),
                      QStringLiteral("previewButton"), QStringLiteral("预览"));
    m_direct = named(new QRadioButton(QStringLiteral("直接打印"), modeBox),
                     QStringLiteral("directButton"), QStringLiteral("直接打印"));
    auto* modeLayout = new QHBoxLayout(modeBox);
    modeLayout->addWidget(m_preview);
    modeLayout->addWidget(m_direct);
    // The flag read at start: "1" preview, anything else prints directly.
    (m_session.checkOutPrtPreview == u"1" ? m_preview : m_direct)->setChecked(true);

    auto* portBox = named(new QGroupBox(QStringLiteral("端口选择"), this),
                          QStringLiteral("portGroup"), QStringLiteral("端口选择"));
    m_port = named(new QComboBox(portBox), QStringLiteral("portField"), QStringLiteral("端口选择"));
    m_port->setEditable(true);
    QStringList ports{QStringLiteral("LPT1"), QStringLiteral("LPT2"), QStringLiteral("LPT3")};
    for (int i = 1; i <= 9; ++i)
        ports << QStringLiteral("COM%1").arg(i);
    m_port->addItems(ports);
    m_port->setCurrentText(m_session.port);
    auto* portLayout = new QHBoxLayout(portBox);
    portLayout->addWidget(m_port);

    CommandRow buttons(this, CommandRow::Align::Right);
    buttons.add(this,
                {{QStringLiteral("applyButton"), QStringLiteral("应用"), &TPosPrtSetFm::Apply},
                 {QStringLiteral("quitButton"), QStringLiteral("退出"), &QDialog::reject}});

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(modeBox);
    layout->addWidget(portBox);
    layout->addLayout(buttons.layout());
}

void TPosPrtSetFm::Apply()
{
    const QString port = m_port->currentText().trimmed();
    // A line break would split system.ini, and no device is named with control characters.
    for (const QChar c : port) {
        if (c.category() == QChar::Other_Control) {
            Prompter::current().warn(QStringLiteral("端口名称不能含有换行或控制字符!"));
            return;
        }
    }
    IniFile& config = m_session.config();
    const bool saved =
        config.write(Section, QStringLiteral("CheckOutPrtPreview"),
                     m_preview->isChecked() ? QStringLiteral("1") : QStringLiteral("0")) &&
        config.write(Section, QStringLiteral("port"), port);
    if (!saved) {
        // Saying "done" over a file that was not written would lose the choice at the next start.
        Prompter::current().error(
            QStringLiteral("无法保存设置到 %1,请检查文件是否可写!").arg(config.path()));
        return;
    }
    m_session.port = port;
    Prompter::current().inform(QStringLiteral("修改完毕,重启软件后生效!"));
    accept();
}

} // namespace shoupai
