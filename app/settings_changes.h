#pragma once

// A part tells the window that a value the settings file keeps has changed,
// so that the window saves the file at exit.
class SettingsChanges {
public:
    virtual void mark_settings_changed() = 0;

protected:
    ~SettingsChanges() = default;
};
