#include "TestHome.h"

#include <QDir>
#include <QFile>

namespace shoupai::test {

QString writeSystemIni(const TestDatabase& database, const QString& extraLines)
{
    QString text;
    if (testBackend() == Backend::Sqlite)
        text = QStringLiteral("[part1]\nabc=a\ncsaccess=%1\n").arg(database.connectionText());
    else
        text =
            QStringLiteral("[part1]\nabc=s\ncsaccess=Provider=SQLite;Data Source=data.db\ncs=%1\n")
                .arg(database.connectionText());
    text +=
        QStringLiteral("[QV582]\nsoftname=测试浴场\nmemo=说明\ntel=010-1234\nweb=www.example.cn\n"
                       "Company=测试公司\n[PosPrt]\nCheckOutPrtPreview=1\nport=LPT1\n");
    text += extraLines;
    QFile file(QDir(database.folder()).filePath(QStringLiteral("system.ini")));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(text.toUtf8());
    return database.folder();
}

} // namespace shoupai::test
