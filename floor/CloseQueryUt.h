#pragma once

#include <QDialog>

namespace shoupai {

// "是否退出?": how to leave the program.
class TCloseQueryFm : public QDialog
{
    Q_OBJECT
public:
    enum class Choice
    {
        Cancel,
        Exit,
        BackupAndExit
    };

    explicit TCloseQueryFm(QWidget* parent = nullptr);

    Choice choice() const { return m_choice; }

private:
    void choose(Choice choice);

    Choice m_choice = Choice::Cancel;
};

} // namespace shoupai
