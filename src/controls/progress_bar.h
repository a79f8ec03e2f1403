// vbwProgressBar: a filled bar on a white field with a centred, inverse-coloured status text.
#pragma once

namespace arkstash::controls {

class vbwProgressBar {
  public:
    float Value() const { return value_; }
    void setValue(float v) { value_ = v; }

  private:
    float value_ = 0;
};

}  // namespace arkstash::controls
