#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace shoupai {

class Session;

// "IC设备设置": probe for the card reader and try a read and a write. One
// instance serves the whole run, so the log and the fields keep their content
// between openings.
class TSeticmFm : public QDialog
{
    Q_OBJECT
public:
    explicit TSeticmFm(Session& session, QWidget* parent = nullptr);

    // "测试设备并保存测试值": the probe, its progress appended to the log.
    void Probe();
    // "读卡测试": reads the card and logs "读取值为:" and the text.
    void ReadTest();
    // "写卡测试": writes the text of the field beside the button.
    void WriteTest();
    // "启动时初始化设备": stores whether the reader opens at the next start.
    void SetStartupInit(bool on);

    QPlainTextEdit* logBox() const { return m_log; }
    QCheckBox* startupBox() const { return m_startup; }
    QLineEdit* writeField() const { return m_writeText; }

private:
    void appendLog(const QStringList& lines);

    Session& m_session;
    QPlainTextEdit* m_log = nullptr;
    QCheckBox* m_startup = nullptr;
    QLineEdit* m_writeText = nullptr;
};

} // namespace shoupai
