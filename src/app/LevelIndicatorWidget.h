// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QWidget>

// A discrete level indicator: (maximum - minimum) segments, as many filled as the value reaches,
// all filled segments in one colour: normal below the warning value, the warning colour from
// it, the critical colour from the critical value (the other way round when the critical value
// lies below the warning value). Shows a value; knows nothing of what it measures.
class LevelIndicatorWidget : public QWidget {
    Q_OBJECT
public:
    enum class Fill { Normal, Warning, Critical };

    explicit LevelIndicatorWidget(QWidget *parent = nullptr);

    double doubleValue() const { return value_; }
    void setDoubleValue(double value) {
        value_ = value;
        changed();
    }
    double minValue() const { return min_; }
    void setMinValue(double value) {
        min_ = value;
        changed();
    }
    double maxValue() const { return max_; }
    void setMaxValue(double value) {
        max_ = value;
        changed();
    }
    double warningValue() const { return warning_; }
    void setWarningValue(double value) {
        warning_ = value;
        changed();
    }
    double criticalValue() const { return critical_; }
    void setCriticalValue(double value) {
        critical_ = value;
        changed();
    }

    int segmentCount() const;
    int filledSegmentCount() const;
    Fill fill() const;
    static QColor colorOf(Fill fill);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void changed(); // after any property changed: redraw and describe anew

    double value_ = 0;
    double min_ = 0;
    double max_ = 3;
    double warning_ = 0;
    double critical_ = 0;
};
