// What the three custom controls share with their host: the container's ambient font, the
// "property changed" notification, and a hook for the view that shows the control.
#pragma once

#include <functional>
#include <string>

#include "controls/std_objects.h"
#include "controls/control_state.h"

namespace arkstash::controls {

class UserControl : public ControlState {
  public:
    UserControl() = default;
    // Controls wire their own parts to `this`; a copy would call into the original.
    UserControl(const UserControl&) = delete;
    UserControl& operator=(const UserControl&) = delete;

    // The container's font, the default of every stored Font property.
    StdFont AmbientFont;
    // The host learns which stored property a setter changed (so that a designer saves it).
    std::function<void(const std::string& name)> PropertyChanged;
    // The view showing the control: called after a change that is not drawn on a surface.
    std::function<void()> ViewChanged;

  protected:
    void propertyChanged(const std::string& name) {
        if (PropertyChanged) PropertyChanged(name);
    }
    void viewChanged() {
        if (ViewChanged) ViewChanged();
    }
};

}  // namespace arkstash::controls
