// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "clickablelabel.h"
#include "colors.h"
#include "fieldtable.h"
#include "parametertexts.h"

#include <QCheckBox>
#include <QFrame>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include <array>
#include <cstdint>

// The control panel on the right of the window: the twelve parameter fields
// in two columns (X and Y) of six rows, their captions, the nudgers "<" and
// ">", and the check boxes and buttons below. It tracks which parameter field
// has the focus, empties fields by column and row, and nudges the focused
// field; the buttons are wired by the window. Enter in a field presses
// "Draw", the panel's default button.
class ControlPanel : public QFrame {
    Q_OBJECT
public:
    using Column = fieldtable::Column;

    // Sizes and positions are given in twips and placed at `twipsPerPixel`.
    // `focusedField` is the window's record of the focused field's number.
    ControlPanel(double twipsPerPixel, std::int16_t &focusedField, QWidget *parent = nullptr);

    static constexpr int widthTwips = 2175;
    static constexpr int heightTwips = 6075;
    static constexpr int topTwips = 60;

    // The field whose focus number (the number in its name) is given, or
    // nullptr for a number that belongs to no field.
    QLineEdit *field(int focusNumber) const;
    QLineEdit *field(ParameterTexts::Index index) const;
    ParameterTexts texts() const;
    void setText(ParameterTexts::Index index, const QString &text);

    // Empties the fields of one row (Amp to Wst), of one column, or all
    // twelve in the order Text1 to Text10, Text13, Text14.
    void emptyRow(int row);
    void emptyColumn(Column column);
    void emptyAllFields();

    colors::Color frameBackColor() const { return frameBackColor_; }
    void setFrameBackColor(colors::Color color);
    colors::Color frameForeColor() const { return frameForeColor_; }
    void setFrameForeColor(colors::Color color);

    // Nudges the focused field by `ampStep` (amplitude fields) or
    // `otherStep` (all others).
    void nudgeFocusedField(double ampStep, double otherStep);

    // Enables or disables "Draw". When "Draw" had the focus as it was
    // disabled, it takes the focus back on being enabled, unless the user
    // has moved the focus in the meantime.
    void setDrawEnabled(bool enabled);

    QLineEdit *Text1, *Text2, *Text3, *Text4, *Text5, *Text6, *Text7, *Text8, *Text9, *Text10, *Text13,
        *Text14;
    ClickableLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6, *Label12, *Label13, *Label14,
        *Label15, *Label16;
    QCheckBox *Check1, *Check2;
    QPushButton *Command1, *Command2, *Command3, *Command4, *Command5, *Command6, *Command7, *Command16,
        *Command17;

    // The captions' clicks: X and Y empty a column, the row captions a row;
    // "<" and ">" nudge the focused field by one step, or nine on a double
    // click.
    void Label1_DblClick() { emptyColumn(Column::X); }
    void Label2_DblClick() { emptyColumn(Column::Y); }
    void Label13_DblClick() { emptyRow(fieldtable::Amp); }
    void Label14_DblClick() { emptyRow(fieldtable::Freq); }
    void Label15_DblClick() { emptyRow(fieldtable::Pwr1); }
    void Label16_DblClick() { emptyRow(fieldtable::Pwr2); }
    void Label5_Click() { emptyRow(fieldtable::Rot); }
    void Label6_DblClick() { emptyRow(fieldtable::Wst); }
    void Label3_Click() { nudgeFocusedField(-0.1, -1); }
    void Label3_DblClick() { nudgeFocusedField(-0.9, -9); }
    void Label4_Click() { nudgeFocusedField(0.1, 1); }
    void Label4_DblClick() { nudgeFocusedField(0.9, 9); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QRect twipsRect(int left, int top, int width, int height) const;
    QLineEdit *makeField(const fieldtable::Field &entry);
    // A captioned control, named and placed.
    template <typename Control>
    Control *makeControl(const char *name, const QString &caption, int left, int top, int width, int height);
    QPushButton *makeButton(const char *name, const QString &caption, int left, int top, int width,
                            int height);
    QCheckBox *makeCheckBox(const char *name, const QString &caption, int left, int top, int width,
                            int height);
    // The table entry of a parameter field, or nullptr for another object.
    const fieldtable::Field *entryOf(const QObject *object) const;
    void empty(const fieldtable::Line &line);
    // Gives the row and column captions their buddies and their clicks.
    void wireLineCaptions();
    void setTabOrder();
    void setToolTips();
    void applyColours();

    // The parameter fields by ParameterTexts::Index.
    std::array<QLineEdit *, ParameterTexts::Count> fields_{};
    double twipsPerPixel_;
    std::int16_t &focusedField_;
    colors::Color frameBackColor_ = colors::black;
    colors::Color frameForeColor_ = colors::yellow;
    bool drawHadFocus_ = false;
    // Where the focus went when "Draw" was disabled.
    QPointer<QWidget> focusAfterDraw_;
};
