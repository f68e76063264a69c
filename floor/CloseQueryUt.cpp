#include "floor/CloseQueryUt.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace shoupai {

TCloseQueryFm::TCloseQueryFm(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TCloseQueryFm"));
    setWindowTitle(QStringLiteral("是否退出?"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(30, 20, 30, 20);
    layout->setSpacing(10);
    const struct
    {
        const char16_t* caption;
        const char* name;
        Choice choice;
    } buttons[] = {{u"直接退出", "exitButton", Choice::Exit},
                   {u"备份退出(单机版)", "backupExitButton", Choice::BackupAndExit},
                   {u"取消", "cancelButton", Choice::Cancel}};
    for (const auto& entry : buttons) {
        auto* button = new QPushButton(QString::fromUtf16(entry.caption), this);
        button->setObjectName(QLatin1String(entry.name));
        button->setAccessibleName(button->text());
        button->setMinimumWidth(200);
        const Choice choice = entry.choice;
        connect(button, &QPushButton::clicked, this, [this, choice] { choose(choice); });
        layout->addWidget(button);
    }
}

void TCloseQueryFm::choose(Choice choice)
{
    m_choice = choice;
    if (choice == Choice::Cancel)
        reject();
    else
        accept();
}

} // namespace shoupai
