#pragma once

#include "app/Permissions.h"
#include "common/ReportLayout.h"
#include "common/TagBoard.h"

#include <QDateTime>
#include <QHash>
#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <QTabBar>
#include <QVariantList>

#include <functional>
#include <optional>

class QAction;
class QDialog;
class QFormLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QPushButton;
class QShortcut;
class QTimer;
class QUrl;

namespace shoupai {

class DataGrid;
class Session;
class TSeticmFm;

// The main window: the tag board (room-type tabs, tiles, side panel, lines of
// open bills) and every menu, toolbar and popup command of the system.
// Entries whose screens are not part of the program yet are in place and
// disabled (pendingEntries()).
class TMainFm : public QMainWindow, public TagBoard
{
    Q_OBJECT
public:
    explicit TMainFm(Session& session, QWidget* parent = nullptr);
    ~TMainFm() override;

    // What other screens read and call.
    QString selectedTag() const override;
    QString shownTag() const override;
    QString activeRoomType() const override;
    void ReloadTags() override;
    void RefreshSelection() override;
    void ReloadRoomTypes() override;
    void RecountStates();
    void ShowSelectedLines();

    // The operator's gestures on the board, as the list and the keys run them.
    void tileSelected();
    void tileDoubleClicked();
    // Enables the popup's entries for the selected tile, as before it opens.
    void preparePopup();
    // Enter in the search box; true when a tile was found.
    bool quickSearch();
    void focusSearch();
    // One tick of the 3000 ms timer.
    void tick();
    // Selects the tile of a tag on the active tab as a click does; false when absent.
    bool selectTile(const QString& tag);

    // Commands the main window carries out itself.
    void openBillCommand();
    void addConsumptionCommand();
    void checkoutCommand();
    void popupCheckoutCommand();
    void cancelBillCommand();
    void printLines();
    void exportLines();
    void backupCommand();
    void restoreCommand();
    void exitCommand();
    void helpCommand();
    void catalogueCommand();
    // "会员信息管理" and the "会员管理" button.
    void membersCommand();

    // The entry or toolbar button with this caption (entries and buttons
    // first, then the menus themselves).
    QAction* action(const QString& caption) const;
    QAction* popupAction(const QString& caption) const;
    // Whether an entry is enabled for the operator and the selected tile; also
    // for hidden entries, which Qt always reports as disabled.
    static bool isOffered(const QAction* entry);
    QMenu* tilePopup() const { return m_popup; }
    QTabBar* roomTabs() const { return m_roomTabs; }
    QListWidget* tileList() const { return m_tiles; }
    DataGrid* linesGrid() const { return m_grid; }
    QLineEdit* searchBox() const { return m_searchBox; }
    QShortcut* searchShortcut() const { return m_searchShortcut; }
    QTimer* clockTimer() const { return m_timer; }
    QPushButton* button(const QString& caption) const;
    // The value shown beside a caption of the side panel ("牌号:", "当前占用"...).
    QString panelText(const QString& caption) const;
    // The picture a tile of the active tab shows; nothing when there is no such tile.
    std::optional<int> tilePicture(const QString& tag) const;
    // Captions of the entries that wait for their screens.
    QStringList pendingEntries() const { return m_pending; }

    // How screens are shown modally; tests record them instead.
    using ModalRunner = std::function<int(QDialog&)>;
    void setModalRunner(ModalRunner runner) { m_modalRunner = std::move(runner); }
    // How the help document is handed to the desktop.
    using UrlOpener = std::function<bool(const QUrl&)>;
    void setUrlOpener(UrlOpener opener) { m_urlOpener = std::move(opener); }
    // How a report is handed to the previewer; tests look at what it gets.
    using ReportPreviewer =
        std::function<void(const ReportLayout&, const QString&, const QVariantList&)>;
    void setReportPreviewer(ReportPreviewer previewer) { m_previewer = std::move(previewer); }
    // The current time for the clock and the time used; tests fix it.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }
    // The name the next backup proposes comes from the last one of the run.
    QString lastBackupName() const { return m_lastBackupName; }
    bool isTerminating() const { return m_exiting; }

signals:
    // The run ends: after "直接退出", a backup exit, or a restore.
    void terminationRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    struct Gate
    {
        std::optional<Permission> permission;
        bool refused = false; // else disabled
        QString refusal;
    };
    void buildMenus();
    void buildToolBar();
    void buildBoard();
    QWidget* buildSidePanel();
    void buildPopup();
    void buildStatusBar();
    void buildRoomTabs();
    // Puts the stored room types on the tabs, keeping the active one when it
    // is still there; false (and the tabs untouched) when the read fails.
    bool fillRoomTabs();
    void showStartingContent();
    QAction* addEntry(QMenu* menu, const QString& caption, const Gate& gate,
                      std::function<void()> command, bool hidden = false);
    QLabel* addPanelLine(QFormLayout* form, const QString& caption, const char* name);

    QListWidgetItem* selectedItem() const;
    // The selected tile when it shows wantedPicture; otherwise the command stops,
    // with "没有选手牌号！" or the refusal for refusedPicture.
    const QListWidgetItem* tileForCommand(int refusedPicture, const QString& refusal,
                                          int wantedPicture) const;
    void setOffered(QAction* entry, bool offered);
    bool permitted(Permission permission) const;
    int runModal(QDialog& dialog);
    void terminate();
    void backupAndExit();
    void setTilePicture(QListWidgetItem* item, int picture);
    void clearSelectedTagTexts();
    // The counts and the selected tile as stored; throw DatabaseError.
    void recount();
    void refreshSelected();
    void showClock();
    void showDatabaseError(const QString& text);

    void openBillScreen();
    void addConsumptionScreen(const QString& tag);
    void checkoutScreen(const QString& tag);

    Session& m_session;
    QTabBar* m_roomTabs = nullptr;
    QListWidget* m_tiles = nullptr;
    DataGrid* m_grid = nullptr;
    QLineEdit* m_searchBox = nullptr;
    QShortcut* m_searchShortcut = nullptr;
    QTimer* m_timer = nullptr;
    QMenu* m_popup = nullptr;
    QHash<QString, QLabel*> m_panel; // value labels by caption
    QList<QPushButton*> m_buttons;
    QList<QAction*> m_actions; // entries and toolbar buttons
    QList<QAction*> m_menus;
    QList<QAction*> m_popupActions;
    QHash<QAction*, Gate> m_gates;
    QStringList m_pending;

    ModalRunner m_modalRunner;
    UrlOpener m_urlOpener;
    ReportPreviewer m_previewer;
    std::function<QDateTime()> m_clock;
    QString m_lastBackupName;
    bool m_exiting = false;
    bool m_tickFailing = false;
    TSeticmFm* m_seticm = nullptr; // one for the run: its log keeps its content
};

} // namespace shoupai
