#include "floor/AboutUt.h"

#include "app/Session.h"
#include "app/Version.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace shoupai {

TAboutFm::TAboutFm(Session& session, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("TAboutFm"));
    setWindowTitle(QStringLiteral("关于"));
    setAttribute(Qt::WA_DeleteOnClose, false);

    QLabel* heading = line(QStringLiteral("softnameLabel"), session.softname);
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    headingFont.setPointSize(headingFont.pointSize() * 2);
    heading->setFont(headingFont);
    QLabel* memo = line(QStringLiteral("memoLabel"), session.memo);
    memo->setWordWrap(true);
    memo->setMinimumWidth(320);

    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setAccessibleName(ok->text());
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 18, 24, 18);
    layout->addWidget(heading);
    layout->addWidget(
        line(QStringLiteral("versionLabel"), QStringLiteral("版本:%1").arg(programVersion())));
    layout->addWidget(memo);
    layout->addWidget(line(QStringLiteral("telLabel"), session.tel));
    layout->addWidget(line(QStringLiteral("webLabel"), session.web));
    layout->addWidget(line(QStringLiteral("companyLabel"), session.company));
    layout->addWidget(line(QStringLiteral("databaseLabel"), databaseLine(session)));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    layout->addLayout(buttons);
}

QLabel* TAboutFm::line(const QString& name, const QString& text)
{
    auto* label = new QLabel(text, this);
    label->setObjectName(name);
    label->setAccessibleName(text);
    return label;
}

QString TAboutFm::databaseLine(const Session& session)
{
    if (!session.database().isOpen())
        return {};
    return session.database().backend() == Backend::Postgres ? QStringLiteral("数据库:PostgreSQL")
                                                             : QStringLiteral("数据库:SQLite");
}

} // namespace shoupai
