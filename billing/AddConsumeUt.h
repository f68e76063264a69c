#pragma once

#include <QDialog>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace shoupai {

class DataGrid;
class Session;
class TagBoard;
class TFwsXzFm;

// "消费": the add-consumption screen; takes its tag from the board's shown tag.
class TAddConsumeFm : public QDialog
{
    Q_OBJECT
public:
    TAddConsumeFm(Session& session, TagBoard& board, QWidget* parent = nullptr);

    // Quantity, type list, open bill, lines and goods as the screen shows them first.
    void load();
    // "全部" or a goods type entry.
    void filterByType(const QString& entry);
    // Enter in the search field: name, pinyin initials or code containing the text.
    void search(const QString& text);
    // "增加[F5]": one line for the goods grid's current row; true when stored.
    bool ZengJiaHs();
    // "结帐": closes, then the checkout screen opens for this tag.
    void checkout();

    // The signed quantity as shown beside "数量:".
    QString signedQuantity() const;

    // Whether "结帐" goes on to the checkout screen; tests of one screen turn it off.
    void setOpensCheckout(bool opens) { m_opensCheckout = opens; }
    // Called with the picker before it is shown modally; tests answer it there.
    void setPickerHook(std::function<void(TFwsXzFm&)> hook) { m_pickerHook = std::move(hook); }

    QString tag() const { return m_tag; }
    QString mainTag() const { return m_mainTag; }
    DataGrid* goodsGrid() const { return m_goods; }
    DataGrid* linesGrid() const { return m_lines; }
    QLineEdit* quantityEdit() const { return m_quantity; }
    QCheckBox* negativeBox() const { return m_negative; }
    QLineEdit* searchEdit() const { return m_search; }
    QListWidget* typeList() const { return m_types; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showAllGoods(bool ordered);
    void showGoods(const QString& where, const QVariantList& values, bool ordered);
    void reloadLines();
    void updateSignedQuantity();

    Session& m_session;
    TagBoard& m_board;
    QString m_tag;
    QString m_mainTag;
    bool m_opensCheckout = true;
    std::function<void(TFwsXzFm&)> m_pickerHook;

    QLabel* m_tagLabel;
    QLabel* m_mainTagLabel;
    QLabel* m_signedLabel;
    QLineEdit* m_search;
    QLineEdit* m_quantity;
    QCheckBox* m_negative;
    QListWidget* m_types;
    DataGrid* m_goods;
    DataGrid* m_lines;
};

} // namespace shoupai
