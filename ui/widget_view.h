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

class WidgetView : public MainView {
public:
    // Every named object under root; `timer` is the measurement's.
    void registerControls(QObject* root, QTimer* timer);
    // A control that starts a command: disabled while one runs.
    void guardControl(QObject* control);
    void setBusy(bool busy);
    QObject* control(const std::string& name) const;
    QObject* control(const QString& name) const { return controls_.value(name, nullptr); }
    // Enabled as the program sets it (shown disabled while guarded and busy).
    void setEnabledOf(QObject* control, bool enabled);
    // Empties ID, value, description, unit, information and mV/V of rows 0..3.
    void clearInputRows();

    void setStatus(const Text& text) override;
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

    QHash<QString, QObject*> controls_;
    QHash<QObject*, bool> enabled_;
    QSet<QObject*> guarded_;
    bool busy_ = false;
    QTimer* timer_ = nullptr;
};

} // namespace rm27
