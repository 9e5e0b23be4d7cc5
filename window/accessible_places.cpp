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

// Something of the table that only assistive tools see: no widget of its
// own, a parent in the tree and at most a few children of the same kind.
class Unseen : public QAccessibleInterface {
public:
    Unseen(TableSurface* table, QAccessible::Role role) : m_table(table), m_role(role) {}

    bool isValid() const override { return m_table; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return table()->window(); }
    QAccessibleInterface* parent() const override { return m_parent ? m_parent : table(); }
    QAccessibleInterface* child(int index) const override {
        return index >= 0 && index < childCount() ? m_children[index] : nullptr;
    }
    int childCount() const override { return static_cast<int>(m_children.size()); }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return static_cast<int>(m_children.indexOf(const_cast<QAccessibleInterface*>(child)));
    }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name ? name() : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override { return {}; }
    QAccessible::Role role() const override { return m_role; }
    QAccessible::State state() const override { return {}; }

    void adopt(Unseen* child) {
        child->m_parent = this;
        m_children.append(child);
    }

protected:
    virtual QString name() const { return {}; }
    TableSurface* m_table;

private:
    QAccessibleInterface* table() const { return QAccessible::queryAccessibleInterface(m_table); }

    QAccessible::Role m_role;
    QAccessibleInterface* m_parent = nullptr;
    QList<QAccessibleInterface*> m_children;
};

// One place of the table, named by what lies there. The stock can also be
// pressed; it stays an item of the list all the same, which counts eleven.
class PlaceItem : public Unseen, public QAccessibleActionInterface {
public:
    PlaceItem(TableSurface* table, Cell place)
        : Unseen(table, QAccessible::ListItem), m_place(place) {}

    QRect rect() const override {
        const Point origin = placeOrigin(m_place);
        const QPoint corner = m_table->mapToGlobal(QPoint(origin.left, origin.top));
        return QRect(corner, QSize(kCardWidth, kCardHeight));
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

protected:
    QString name() const override {
        const PlaceSource* source = sourceOf(m_table);
        return source ? source->placeName(m_place) : QString();
    }

private:
    Cell m_place;
};

// The places together: a screen reader counts them "5 of 11".
class PlaceList : public Unseen {
public:
    explicit PlaceList(TableSurface* table) : Unseen(table, QAccessible::List) {}

protected:
    QString name() const override { return QStringLiteral("Places"); }
};

// What the table tells, one sentence at a time. A notification that shows
// itself is what Orca speaks at once, without a move of the focus; inside a
// status bar it speaks the sentence alone, with no role read out before it.
class Bulletin : public Unseen {
public:
    explicit Bulletin(TableSurface* table) : Unseen(table, QAccessible::Notification) {}
    QString sentence;

protected:
    QString name() const override { return sentence; }
};

// Orca reads a notification's text when it comes to the event, a little
// later: two sentences told on one notification in quick succession (a move
// and the win) would be heard as the second one alone. So each sentence has
// a notification of its own, taken in turn from a few; the status bar bears
// the latest.
class StatusBar : public Unseen {
public:
    explicit StatusBar(TableSurface* table) : Unseen(table, QAccessible::StatusBar) {
        for (Bulletin*& bulletin : m_bulletins) {
            bulletin = new Bulletin(table);
            adopt(bulletin);
        }
    }
    Bulletin* next(const QString& sentence) {
        m_latest = (m_latest + 1) % m_bulletins.size();
        m_bulletins[m_latest]->sentence = sentence;
        return m_bulletins[m_latest];
    }
    const std::array<Bulletin*, 6>& bulletins() const { return m_bulletins; }

protected:
    QString name() const override { return m_bulletins[m_latest]->sentence; }

private:
    std::array<Bulletin*, 6> m_bulletins{};
    std::size_t m_latest = 0;
};

// The table: its widgets that are in play, the places, the status bar.
class TableItem : public QAccessibleWidget {
public:
    explicit TableItem(TableSurface* table)
        : QAccessibleWidget(table, QAccessible::Pane, QStringLiteral("Table")),
          m_list(new PlaceList(table)), m_status(new StatusBar(table)) {
        for (std::size_t i = 0; i < kPlaces.size(); ++i) {
            m_places[i] = new PlaceItem(table, kPlaces[i]);
            m_list->adopt(m_places[i]);
        }
        for (QAccessibleInterface* item : owned())
            QAccessible::registerAccessibleInterface(item);
    }
    ~TableItem() override {
        for (QAccessibleInterface* item : owned())
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(item));
    }

    int childCount() const override { return static_cast<int>(shown().size()) + 2; }
    QAccessibleInterface* child(int index) const override {
        const QList<QWidget*> widgets = shown();
        if (index < 0) return nullptr;
        if (index < widgets.size()) return QAccessible::queryAccessibleInterface(widgets[index]);
        if (index == widgets.size()) return m_list;
        return index == widgets.size() + 1 ? m_status : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const QList<QWidget*> widgets = shown();
        if (child == m_list) return static_cast<int>(widgets.size());
        if (child == m_status) return static_cast<int>(widgets.size()) + 1;
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
    StatusBar* status() const { return m_status; }

private:
    QList<QAccessibleInterface*> owned() const {
        QList<QAccessibleInterface*> items{m_list, m_status};
        items.append(QList<QAccessibleInterface*>(m_places.begin(), m_places.end()));
        items.append(QList<QAccessibleInterface*>(m_status->bulletins().begin(),
                                                  m_status->bulletins().end()));
        return items;
    }

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

    PlaceList* m_list;
    StatusBar* m_status;
    std::array<PlaceItem*, 11> m_places{};
};

// A card picture: named by its card, described by where it lies.
class CardItem : public QAccessibleWidget {
public:
    explicit CardItem(QWidget* card) : QAccessibleWidget(card) {}
    QString text(QAccessible::Text t) const override {
        const PlaceSource* source = sourceOf(widget()->parentWidget());
        if (t == QAccessible::Description && source) return source->cardWhere(widget());
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* tableFactory(const QString& className, QObject* object) {
    if (!object || !object->isWidgetType()) return nullptr;
    if (className == QLatin1String("vimbo::TableSurface"))
        return new TableItem(static_cast<TableSurface*>(object));
    if (className == QLatin1String("vimbo::CardWidget"))
        return new CardItem(static_cast<QWidget*>(object));
    return nullptr;
}

TableItem* tableItem(QWidget* table) {
    return dynamic_cast<TableItem*>(QAccessible::queryAccessibleInterface(table));
}

} // namespace

void installTableAccessibility() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    QAccessible::installFactory(tableFactory);
}

QAccessibleInterface* accessiblePlace(QWidget* table, Cell place) {
    TableItem* item = tableItem(table);
    return item ? item->place(place) : nullptr;
}

void tellScreenReader(QWidget* table, const QString& sentence) {
    TableItem* item = tableItem(table);
    if (!item || sentence.isEmpty()) return;
    Bulletin* bulletin = item->status()->next(sentence);
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    // Qt's own word for it, which screen readers of that age speak.
    Q_UNUSED(bulletin);
    QAccessibleAnnouncementEvent event(table, sentence);
#else
    QAccessibleEvent event(bulletin, QAccessible::ObjectShow);
#endif
    QAccessible::updateAccessibility(&event);
}

} // namespace vimbo
