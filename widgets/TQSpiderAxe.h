#pragma once
// One axis of a spider graph: a spoke from the centre (value `minValue`) to the
// rim (value `maxValue`) at `angle` degrees, 0 pointing up, clockwise.
//
// Owned by its TQSpiderGraph, which creates and frees its axes; an axis keeps
// a reference to its owner to read the data of the owner's lines.
#include <QString>

class TQSpiderGraph;

class TQSpiderAxe {
public:
    TQSpiderAxe(TQSpiderGraph& owner, int index, bool autoSized);

    const QString& caption() const { return caption_; }
    // The text at the axis end; the mouse boxes show it, so their texts are
    // rebuilt the next time they appear.
    void SetCaption(const QString& caption);

    float angle() const { return angle_; }
    float minValue() const { return minValue_; }
    float maxValue() const { return maxValue_; }
    bool autoMin() const { return autoMin_; }
    bool autoMax() const { return autoMax_; }
    int index() const { return index_; }
    TQSpiderGraph& owner() const { return owner_; }

    // Fixes the range end (the auto flag is cleared). The end is moved only
    // when it keeps every value of the axis inside the range: a minimum above
    // the smallest value (or a maximum below the largest) is refused. With no
    // data any value is accepted.
    void SetMinValue(float value);
    void SetMaxValue(float value);

    // Stores the flag; when true the range end is pushed outwards by a
    // twentieth of |min| + |max| (to -1 or +1 when both are 0). The maximum
    // rule reads the minimum left by the minimum rule.
    void SetAutoMin(bool value);
    void SetAutoMax(bool value);

private:
    friend class TQSpiderGraph; // sets the angle and re-derives auto ranges
    friend class TQSGLine;      // widens the range to take in new values

    TQSpiderGraph& owner_;
    int index_ = 0;
    QString caption_;
    float angle_ = 0;
    float minValue_ = 0;
    float maxValue_ = 100;
    bool autoMin_ = false;
    bool autoMax_ = false;
};
