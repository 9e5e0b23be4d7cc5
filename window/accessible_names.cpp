#include "accessible_names.h"

#include "cards.h"
#include "table_surface.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace vimbo {

QString cardName(int card) {
    if (!isCard(card)) return {};
    static const char* const ranks[] = {"Ace", "Two",   "Three", "Four",   "Five",
                                        "Six", "Seven", "Knave", "Knight", "King"};
    static const char* const suits[] = {"Coins", "Cups", "Clubs", "Swords"};
    return QStringLiteral("%1 of %2")
        .arg(QLatin1String(ranks[rankOf(card) - 1]), QLatin1String(suits[suitOf(card)]));
}

QString placeDescription(Point place) {
    if (place == kWastePilePlace) return QStringLiteral("on the waste pile");
    const Cell cell = CellAtPoint(place.left, place.top);
    if (place != CellOrigin(cell.column, cell.row)) return QStringLiteral("not in play");
    static const char* const cells[3][3] = {
        {"on the top-left foundation", "at the top of the plus", "on the top-right foundation"},
        {"at the left of the plus", "in the centre of the plus", "at the right of the plus"},
        {"on the bottom-left foundation", "at the bottom of the plus",
         "on the bottom-right foundation"},
    };
    return QLatin1String(cells[cell.row - 1][cell.column - 1]);
}

QString stockName(int cardsLeft) {
    return cardsLeft == 1 ? QStringLiteral("Stock, 1 card left")
                          : QStringLiteral("Stock, %1 cards left").arg(cardsLeft);
}

namespace {

// The stock as an item of its own inside the table.
class StockItem : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    explicit StockItem(TableSurface* table) : m_table(table) {}

    bool isValid() const override { return m_table; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return parent()->window(); }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(m_table);
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) return m_table->stockAccessibleName();
        if (t == QAccessible::Description)
            return QStringLiteral("Click to turn the next card onto the waste pile");
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        const QRect r = m_table->Mazzo.rect;
        return QRect(m_table->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override { return QAccessible::Button; }
    QAccessible::State state() const override {
        QAccessible::State s;
        s.invisible = !m_table->Mazzo.visible;
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override {
        if (name == pressAction() && m_table->Mazzo.visible) emit m_table->stockClicked();
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    TableSurface* m_table;
};

// The table with the stock appended to its widgets (cards and panels).
class TableItem : public QAccessibleWidget {
public:
    explicit TableItem(TableSurface* table)
        : QAccessibleWidget(table, QAccessible::Pane, QStringLiteral("Table")),
          m_stock(new StockItem(table)) {
        QAccessible::registerAccessibleInterface(m_stock);
    }
    ~TableItem() override {
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(m_stock));
    }

    int childCount() const override { return QAccessibleWidget::childCount() + 1; }
    QAccessibleInterface* child(int index) const override {
        return index == QAccessibleWidget::childCount() ? m_stock : QAccessibleWidget::child(index);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child == m_stock ? QAccessibleWidget::childCount()
                                : QAccessibleWidget::indexOfChild(child);
    }

private:
    StockItem* m_stock;
};

QAccessibleInterface* tableFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("vimbo::TableSurface") && object && object->isWidgetType())
        return new TableItem(static_cast<TableSurface*>(object));
    return nullptr;
}

} // namespace

void installTableAccessibility() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    QAccessible::installFactory(tableFactory);
}

} // namespace vimbo
