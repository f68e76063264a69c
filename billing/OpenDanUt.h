#pragma once

#include "platform/Money.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace shoupai {

class Session;
class TagBoard;

// "顾客开单": the open-bill screen; takes the main tag and room type from the board when shown.
class TOpenDanFm : public QDialog
{
    Q_OBJECT
public:
    TOpenDanFm(Session& session, TagBoard& board, QWidget* parent = nullptr);

    // Reads the board's tag and room type and the free tags of that room.
    void load();
    // "->" / "<-": moves the selected entry between the lists.
    void moveIn();
    void moveOut();
    // "开单": opens the bill for every tag of the group; true when written.
    bool KaiDanHs();

    // Whether a successful opening goes on to the add-consumption screen (the
    // main window's flow); tests that drive one screen turn it off.
    void setOpensConsumption(bool opens) { m_opensConsumption = opens; }

    QString mainTag() const { return m_mainTag; }
    QListWidget* candidateList() const { return m_candidates; }
    QListWidget* groupList() const { return m_group; }
    QLineEdit* depositEdit() const { return m_deposit; }
    QLineEdit* guestNameEdit() const { return m_guestName; }
    QPlainTextEdit* remarkEdit() const { return m_remark; }
    QLabel* ticketPriceLabel() const { return m_ticketPrice; }
    QLabel* totalLabel() const { return m_total; }
    QLabel* roomTypeLabel() const { return m_roomType; }
    QPushButton* openButton() const { return m_openButton; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void cancel();
    void openConsumption();

    Session& m_session;
    TagBoard& m_board;
    QString m_mainTag;
    QString m_roomTypeName;
    Money m_ticket;
    bool m_opensConsumption = true;

    QLabel* m_mainTagLabel;
    QLabel* m_roomType;
    QLabel* m_ticketPrice;
    QLabel* m_total;
    QLineEdit* m_deposit;
    QLineEdit* m_guestName;
    QPlainTextEdit* m_remark;
    QListWidget* m_candidates;
    QListWidget* m_group;
    QPushButton* m_openButton;
};

} // namespace shoupai
