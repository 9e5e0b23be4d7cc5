// The three panels laid over the table: the rules in English (Text2), the
// rules in Italian (Text3) and the information text (Text4). At most one is
// shown at a time; a menu entry shows its panel or hides it again, and almost
// any touch of the table hides whatever is shown (HidePanels).
#pragma once

#include <QTextEdit>

#include <array>

namespace vimbo::help {

// A read-only text box. A click on it hides the panels: it never reaches a
// card lying beneath it.
class TextPanel : public QTextEdit {
    Q_OBJECT
public:
    TextPanel(QWidget* table, std::string_view text, QColor background, bool centred);

signals:
    void clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

class Panels : public QObject {
    Q_OBJECT
public:
    explicit Panels(QWidget* table);

    TextPanel* Text2; // English rules
    TextPanel* Text3; // Italian rules
    TextPanel* Text4; // information

    void HidePanels();

    // Each entry hides the other two panels, then shows its own in front of
    // every card, or hides it when it was already shown.
    void menu_rules_english_Click();
    void menu_rules_italiano_Click();
    void menu_about_Click();

    // The rules panels cover the whole table area, with their scroll bar inside it.
    void sizeRulesPanels(QSize tableArea);
    // Each new table puts the panels at their places over it; a shown panel stays shown.
    void anchor();

    void Text2_Click() { HidePanels(); }
    void Text3_Click() { HidePanels(); }
    void Text4_Click() { HidePanels(); }

private:
    void toggle(TextPanel* panel, TextPanel* other1, TextPanel* other2);
};

} // namespace vimbo::help
