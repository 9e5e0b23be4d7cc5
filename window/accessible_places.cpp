#include "accessible_places.h"

#include "table_keys.h"
#include "table_surface.h"

#include <QAccessible>
#include <QAccessibleWidget>

#include <algorithm>

namespace vimbo {

const std::array<Cell, 11> kPlaces{{{1, 1},
                                    {2, 1},
                                    {3, 1},
                                    {1, 2},
                                    {2, 2},
                                    {3, 2},
                                    {1, 3},
                                    {2, 3},
                                    {3, 3},
                                    kWasteCell,
                                    kStockCell}};

int placeIndex(Cell place) {
    const auto it = std::find(kPlaces.begin(), kPlaces.end(), place);
    return it == kPlaces.end() ? -1 : static_cast<int>(it - kPlaces.begin());
}

namespace {

const PlaceSource* sourceOf(const QWidget* table) {
    for (const QObject* child : table->children())
        if (const auto* source = dynamic_cast<const PlaceSource*>(child)) return source;
    return nullptr;
}

// One place of the table. The stock can also be pressed, as a button.
class PlaceItem : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    PlaceItem(TableSurface* table, Cell place) : m_table(table), m_place(place) {}

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
        const PlaceSource* source = sourceOf(m_table);
        if (!source) return {};
        if (t == QAccessible::Name) return source->placeName(m_place);
        if (t == QAccessible::Description) return source->placeDescription(m_place);
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        const Point origin = placeOrigin(m_place);
        const QPoint corner = m_table->mapToGlobal(QPoint(origin.left, origin.top));
        return QRect(corner, QSize(kCardWidth, kCardHeight));
    }
    QAccessible::Role role() const override {
        return isStockCell(m_place) ? QAccessible::Button : QAccessible::ListItem;
    }
    QAccessible::State state() const override {
        QAccessible::State s;
        s.focusable = true;
        const PlaceSource* source = sourceOf(m_table);
        s.focused = source && source->hasCursor(m_place);
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ActionInterface && isStockCell(m_place))
            return static_cast<QAccessibleActionInterface*>(this);
        return nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override {
        if (name == pressAction() && m_table->Mazzo.visible) emit m_table->stockClicked();
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    TableSurface* m_table;
    Cell m_place;
};

// The table: its widgets that are in play, then the places.
class TableItem : public QAccessibleWidget {
public:
    explicit TableItem(TableSurface* table)
        : QAccessibleWidget(table, QAccessible::Pane, QStringLiteral("Table")) {
        for (std::size_t i = 0; i < kPlaces.size(); ++i) {
            m_places[i] = new PlaceItem(table, kPlaces[i]);
            QAccessible::registerAccessibleInterface(m_places[i]);
        }
    }
    ~TableItem() override {
        for (PlaceItem* place : m_places)
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(place));
    }

    int childCount() const override { return static_cast<int>(shown().size() + m_places.size()); }
    QAccessibleInterface* child(int index) const override {
        const QList<QWidget*> widgets = shown();
        if (index < 0) return nullptr;
        if (index < widgets.size()) return QAccessible::queryAccessibleInterface(widgets[index]);
        const qsizetype place = index - widgets.size();
        return place < static_cast<qsizetype>(m_places.size()) ? m_places[place] : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const QList<QWidget*> widgets = shown();
        for (std::size_t i = 0; i < m_places.size(); ++i)
            if (child == m_places[i]) return static_cast<int>(widgets.size() + i);
        const auto* widget = child ? qobject_cast<const QWidget*>(child->object()) : nullptr;
        return static_cast<int>(widgets.indexOf(const_cast<QWidget*>(widget)));
    }
    QAccessibleInterface* focusChild() const override {
        const PlaceSource* source = sourceOf(static_cast<QWidget*>(object()));
        for (std::size_t i = 0; i < m_places.size(); ++i)
            if (source && source->hasCursor(kPlaces[i])) return m_places[i];
        return QAccessibleWidget::focusChild();
    }
    QAccessibleInterface* place(Cell cell) const {
        const int i = placeIndex(cell);
        return i < 0 ? nullptr : m_places[i];
    }

private:
    // The child widgets an assistive tool may see: no card out of play, and
    // nothing that only draws the keyboard cursor.
    QList<QWidget*> shown() const {
        auto* table = static_cast<QWidget*>(object());
        const PlaceSource* source = sourceOf(table);
        QList<QWidget*> widgets;
        for (QObject* child : table->children()) {
            auto* widget = qobject_cast<QWidget*>(child);
            if (!widget || widget->isWindow() ||
                widget->testAttribute(Qt::WA_TransparentForMouseEvents))
                continue;
            if (source && !source->inPlay(widget)) continue;
            widgets.append(widget);
        }
        return widgets;
    }

    std::array<PlaceItem*, 11> m_places{};
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

QAccessibleInterface* accessiblePlace(QWidget* table, Cell place) {
    auto* item = dynamic_cast<TableItem*>(QAccessible::queryAccessibleInterface(table));
    return item ? item->place(place) : nullptr;
}

} // namespace vimbo
