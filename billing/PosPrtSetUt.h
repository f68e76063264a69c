#pragma once

#include <QDialog>

class QComboBox;
class QRadioButton;

namespace shoupai {

class Session;

// "Pos打印机设置": the receipt preview default and the printer port.
class TPosPrtSetFm : public QDialog
{
    Q_OBJECT
public:
    explicit TPosPrtSetFm(Session& session, QWidget* parent = nullptr);

    // "应用": stores both settings in system.ini, switches the port at once and closes.
    void Apply();

    QRadioButton* previewButton() const { return m_preview; }
    QRadioButton* directButton() const { return m_direct; }
    QComboBox* portField() const { return m_port; }

private:
    Session& m_session;
    QRadioButton* m_preview = nullptr;
    QRadioButton* m_direct = nullptr;
    QComboBox* m_port = nullptr;
};

} // namespace shoupai
