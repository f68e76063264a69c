#pragma once

#include <QMainWindow>
#include <QString>

class QAction;
class QLabel;
class QTabWidget;

namespace shoupai {

class Session;

// The main window: menus, toolbar and the board's room-type tabs. The screens
// its commands open arrive one by one; until then their entries are in place,
// gated by the operator's permissions.
class TMainFm : public QMainWindow
{
    Q_OBJECT
public:
    explicit TMainFm(Session& session, QWidget* parent = nullptr);

    // The entry or toolbar button with this caption (first match; menus after
    // entries), for gates and tests.
    QAction* action(const QString& caption) const;
    QTabWidget* roomTabs() const { return m_roomTabs; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildToolBar();
    void buildStatusBar();
    void buildRoomTabs();
    void applyPermissionGates();
    QAction* addEntry(QMenu* menu, const QString& caption, bool hidden = false);

    Session& m_session;
    QTabWidget* m_roomTabs = nullptr;
    QList<QAction*> m_actions; // entries and toolbar buttons
    QList<QAction*> m_menus;
    bool m_exiting = false;
};

} // namespace shoupai
