#pragma once

#include <QDialog>
#include <QString>

#include <functional>

class QCheckBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace shoupai {

class Session;

// "Excel导入": loads goods from a workbook into the catalogue.
class TInExcelDataFm : public QDialog
{
    Q_OBJECT
public:
    explicit TInExcelDataFm(Session& session, QWidget* parent = nullptr);

    // "选择Excel": asks for a file and reads it.
    void ChooseExcel();
    // Reads a workbook: its title row into list A, its counts into the labels.
    // False (with "无法读取文件:" shown) when it cannot be read.
    bool OpenWorkbook(const QString& path);
    // "开始导入": asks for the password, then imports the chosen workbook.
    void Import();
    // "清空list"
    void ClearLists();

    // What "选择Excel" asks with; a file dialog unless a test sets another.
    // Returns the chosen path, or empty when cancelled.
    void setFileAsker(std::function<QString()> asker) { m_askFile = std::move(asker); }

    QListWidget* titleList() const { return m_titles; }
    QListWidget* columnList() const { return m_columns; }
    QPlainTextEdit* failedRows() const { return m_failed; }
    QLabel* rowCountLabel() const { return m_rowCount; }
    QLabel* columnCountLabel() const { return m_columnCount; }
    QLabel* timeLabel() const { return m_time; }
    QProgressBar* progressBar() const { return m_progress; }
    QCheckBox* autoNumberBox() const { return m_autoNumber; }
    QPushButton* chooseButton() const { return m_choose; }
    QPushButton* importButton() const { return m_import; }

private:
    void setBusy(bool busy);

    Session& m_session;
    QString m_path;
    std::function<QString()> m_askFile;
    QListWidget* m_titles = nullptr;
    QListWidget* m_columns = nullptr;
    QPlainTextEdit* m_failed = nullptr;
    QLabel* m_rowCount = nullptr;
    QLabel* m_columnCount = nullptr;
    QLabel* m_time = nullptr;
    QProgressBar* m_progress = nullptr;
    QCheckBox* m_autoNumber = nullptr;
    QPushButton* m_choose = nullptr;
    QPushButton* m_import = nullptr;
    QPushButton* m_clear = nullptr;
    QPushButton* m_close = nullptr;
};

} // namespace shoupai
