#pragma once

#include <QDialog>

namespace shoupai {

class Session;

// "Pos打印机设置": the receipt preview default and the printer port.
class TPosPrtSetFm : public QDialog
{
    Q_OBJECT
public:
    explicit TPosPrtSetFm(Session& session, QWidget* parent = nullptr);

private:
    Session& m_session;
};

} // namespace shoupai
