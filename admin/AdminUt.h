#pragma once

#include <QDialog>
#include <QHash>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace shoupai {

class DataGrid;
class Session;

// "管理员管理": the administrators and their permissions. The writes live in
// admin/Administrators; this screen edits one row at a time.
class TAdminFm : public QDialog
{
    Q_OBJECT
public:
    explicit TAdminFm(Session& session, QWidget* parent = nullptr);

    void add();    // "添加"
    void modify(); // "修改"
    void save();   // "保存"
    void cancel(); // "取消"
    void remove(); // "删除"
    void quit();   // "退出"

    bool isEditing() const { return m_editing; }
    DataGrid* grid() const { return m_grid; }
    QLineEdit* nameField() const { return m_name; }
    // The box of a permission column (退回库存 included, never shown).
    QCheckBox* box(const QString& column) const { return m_boxes.value(column); }
    QPushButton* button(const QString& caption) const { return m_buttons.value(caption); }

private:
    void setEditing(bool editing);
    void showCurrent();
    void reload(const QString& selectName);

    Session& m_session;
    DataGrid* m_grid = nullptr;
    QLineEdit* m_name = nullptr;
    QGroupBox* m_permissions = nullptr;
    QHash<QString, QCheckBox*> m_boxes;
    QHash<QString, QPushButton*> m_buttons;
    bool m_editing = false;
    bool m_adding = false;
    QString m_original; // the row being modified
};

} // namespace shoupai
