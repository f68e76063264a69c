#pragma once

#include <QDialog>

#include <functional>

namespace shoupai {

class DataGrid;
class Session;

// "手牌与包厢设置": the tags on the left, the room types on the right, and the
// screens that add and change them.
class TSpSetFm : public QDialog
{
    Q_OBJECT
public:
    explicit TSpSetFm(Session& session, QWidget* parent = nullptr);

    // How the sub-screens are run; tests drive them without an event loop.
    void setModalRunner(std::function<int(QDialog&)> runner) { m_runModal = std::move(runner); }

    // Tags.
    void AddTags();
    void ChangeTag();
    void DeleteTag();
    void RefreshTags();
    void ExportTags();
    // Room types.
    void AddRoomType();
    void ChangeRoomType();
    void DeleteRoomType();
    // A click on a room type: only its tags are listed.
    void ShowRoomTags();

    DataGrid* tagGrid() const { return m_tags; }
    DataGrid* roomGrid() const { return m_rooms; }

    void done(int result) override;

signals:
    // The screen closed; room types and tags may have changed, so the board rebuilds its tabs.
    void closedAfterSetup();

private:
    void runTags(const QString& sql, const QVariantList& values, const QVariant& key);
    void runRooms(const QVariant& key);
    QVariant currentTag() const;
    QVariant currentRoom() const;

    Session& m_session;
    DataGrid* m_tags = nullptr;
    DataGrid* m_rooms = nullptr;
    std::function<int(QDialog&)> m_runModal = [](QDialog& dialog) { return dialog.exec(); };
};

} // namespace shoupai
