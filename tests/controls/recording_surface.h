// A surface that draws nothing and records every call in order, with text metrics simple
// enough to compute by hand: each character is `charWidth` wide, every text `textHeight` high.
#pragma once

#include <string>
#include <vector>

#include "controls/surface.h"
#include "platform/error.h"

namespace arkstash::testing {

struct SurfaceCall {
    std::string op;          // "BackColor", "Cls", "ForeColor", "Font", "Border", "DrawMode",
                             // "TextWidth", "TextHeight", "Print", "FillBox", "Line", "PSet",
                             // "Height", "BackStyle", "Picture", "Enabled", "AutoRedraw",
                             // "Refresh"
    std::vector<double> at;  // coordinates, sizes or the mode/style number
    std::string text;        // printed or measured text
    controls::Colour colour = 0;
};

class RecordingSurface : public controls::Surface {
  public:
    // Outer and inner sizes; the border is whatever the test says it is.
    double outerWidth = 3000, outerHeight = 300;
    double innerWidth = 2940, innerHeight = 240;
    double charWidth = 75;
    double textHeight = 195;
    // A call whose op name is given here throws this error instead of running.
    std::string failOn;
    PlatformError failure{"Surface failed", 999, "Surface"};

    std::vector<SurfaceCall> calls;

    double Width() const override { return outerWidth; }
    double Height() const override { return outerHeight; }
    double ScaleWidth() const override { return innerWidth; }
    double ScaleHeight() const override { return innerHeight; }
    void setHeight(double h) override {
        record({"Height", {h}});
        innerHeight += h - outerHeight;
        outerHeight = h;
    }
    void setBackColor(controls::Colour c) override { record({"BackColor", {}, {}, c}); }
    void Cls() override { record({"Cls"}); }
    void setForeColor(controls::Colour c) override { record({"ForeColor", {}, {}, c}); }
    void setFont(const controls::StdFont& f) override { record({"Font", {f.Size}, f.Name}); }
    void setBorderStyle(int s) override { record({"Border", {double(s)}}); }
    void setDrawMode(int m) override { record({"DrawMode", {double(m)}}); }
    double TextWidth(const std::string& t) override {
        record({"TextWidth", {}, t});
        return charWidth * static_cast<double>(t.size());
    }
    double TextHeight(const std::string& t) override {
        record({"TextHeight", {}, t});
        return textHeight;
    }
    void Print(double x, double y, const std::string& t) override { record({"Print", {x, y}, t}); }
    void FillBox(double x1, double y1, double x2, double y2, controls::Colour c) override {
        record({"FillBox", {x1, y1, x2, y2}, {}, c});
    }
    void Line(double x1, double y1, double x2, double y2, controls::Colour c) override {
        record({"Line", {x1, y1, x2, y2}, {}, c});
    }
    void PSet(double x, double y, controls::Colour c) override { record({"PSet", {x, y}, {}, c}); }
    void setBackStyle(int s) override { record({"BackStyle", {double(s)}}); }
    void setPicture(const controls::StdPicture& p) override { record({"Picture", {}, p.data}); }
    void setEnabled(bool e) override { record({"Enabled", {e ? 1.0 : 0.0}}); }
    void setAutoRedraw(bool a) override { record({"AutoRedraw", {a ? 1.0 : 0.0}}); }
    void Refresh() override { record({"Refresh"}); }

    // The calls of one kind, in order.
    std::vector<SurfaceCall> only(const std::string& op) const {
        std::vector<SurfaceCall> r;
        for (const auto& c : calls)
            if (c.op == op) r.push_back(c);
        return r;
    }
    std::vector<std::string> ops() const {
        std::vector<std::string> r;
        for (const auto& c : calls) r.push_back(c.op);
        return r;
    }

  private:
    void record(SurfaceCall call) {
        if (!failOn.empty() && call.op == failOn) throw failure;
        calls.push_back(std::move(call));
    }
};

}  // namespace arkstash::testing
