#pragma once

#include <QDialog>

class QDateEdit;

namespace shoupai {

class DataGrid;
class Session;

// "服务生提成统计": commission per employee code, all time on opening, a period on "查询".
class TFwsTcTjFm : public QDialog
{
    Q_OBJECT
public:
    explicit TFwsTcTjFm(Session& session, QWidget* parent = nullptr);

    void Query();

    DataGrid* grid() const { return m_grid; }
    QDateEdit* fromDate() const { return m_from; }
    QDateEdit* toDate() const { return m_to; }

private:
    bool show(const QString& sql, const QVariantList& parameters);

    Session& m_session;
    DataGrid* m_grid = nullptr;
    QDateEdit* m_from = nullptr;
    QDateEdit* m_to = nullptr;
};

} // namespace shoupai
