#pragma once

#include <QDialog>

class QLabel;

namespace shoupai {

class Session;

// "关于": the program's name, description and contacts, and the engine of the database.
class TAboutFm : public QDialog
{
    Q_OBJECT
public:
    explicit TAboutFm(Session& session, QWidget* parent = nullptr);

    // "数据库:SQLite" for the embedded file, "数据库:PostgreSQL" for the server.
    static QString databaseLine(const Session& session);

private:
    QLabel* line(const QString& name, const QString& text);
};

} // namespace shoupai
