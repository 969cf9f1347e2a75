// The operations' view (MainView) over a window's widgets: controls are
// found by their object names, captions shown in the program's language,
// and the controls that start a command stay disabled while one runs,
// whatever the program set for them meanwhile.
#pragma once

#include <QHash>
#include <QSet>
#include <QString>

#include "session/device_state.h"
#include "session/main_view.h"

class QObject;
class QTimer;
class QWidget;

namespace rm27 {

// The dynamic property that marks a display field: its caption is a value
// (an identifier, a reading), not a text of the program.
inline constexpr const char* kValueField = "rm27ValueField";

// A widget's background, as 0xRRGGBB (a button's face, a label's ground).
void SetBackground(QWidget* w, std::uint32_t rgb);
// A widget's text greyed, as a value no longer live is shown; or in the
// style's own colour again.
void SetDimmed(QWidget* w, bool dimmed);

class WidgetView : public MainView {
public:
    // Every named object under root; `timer` is the measurement's.
    void registerControls(QObject* root, QTimer* timer);
    // A control that starts a command: disabled while one runs, and while
    // the port is closed too when its command talks to the converter.
    void guardControl(QObject* control, bool needsLine);
    void setBusy(bool busy);
    void setLineOpen(bool open);
    // The live values (the inputs' values, mV/V and raw readings) shown as
    // no longer live: dimmed, the reason in their tool tips; an empty
    // reason shows them live again.
    void setLiveStale(const Text& why);
    QObject* control(const std::string& name) const;
    QObject* control(const QString& name) const { return controls_.value(name, nullptr); }
    // Enabled as the program sets it (shown disabled while guarded and busy).
    void setEnabledOf(QObject* control, bool enabled);
    // Empties ID, value, description, unit, information and mV/V of rows 0..3.
    void clearInputRows();

    void setStatus(const Text& text) override;
    // What the status line says now.
    const Text& status() const { return status_; }
    void setCaption(const std::string& control, const Text& text) override;
    void setControlEnabled(const std::string& control, bool enabled) override;
    void setControlVisible(const std::string& control, bool visible) override;
    void setInputRowColor(int row, std::uint32_t rgb) override;
    void setControlColor(const std::string& control, std::uint32_t rgb) override;
    // The reason goes into the control's tool tip, after the tip the control
    // has of its own; "" gives the control its own tip back.
    void setDoubt(const std::string& control, const Text& why) override;
    void setComboRows(const std::string& control, const std::vector<std::string>& rows,
                      int selected) override;
    void clearList(const std::string& control) override;
    void addListItem(const std::string& control, const Text& text) override;
    void setMeasurementTimer(bool enabled) override;
    bool measurementTimerEnabled() const override;

private:
    void applyEnabled(QObject* control);
    // The tool tip from the control's own, its doubt and, for a live
    // value, why it is stale.
    void composeTip(QWidget* w);

    QHash<QString, QObject*> controls_;
    QHash<QObject*, bool> enabled_;
    QSet<QObject*> guarded_;
    QSet<QObject*> needLine_;
    bool busy_ = false;
    bool lineOpen_ = false;
    Text staleWhy_;
    Text status_;
    QTimer* timer_ = nullptr;
};

} // namespace rm27
