#pragma once
// One undo step of an image's measurements: the engine's figure data before and after it.
// The data is exact and small (a few dozen bytes a figure), so a step puts back precisely
// what was there, whatever the change was. Consecutive steps share the data between them.

#include <QByteArray>
#include <QString>
#include <QUndoCommand>
#include <functional>
#include <optional>
#include <vector>

#include "app/image/ruler_file.h"
#include "gaugit.h"

// What a step did, kept apart from its words so the menus speak the current language.
struct StepName
{
    enum Verb
    {
        Change, // none of the others
        Create,
        Move,
        Reshape,
        Delete,
        ClearAll,
        MoveLabel,
        EditText,
        MoveRuler,
        ApplyCalibration,
        ChangeUnit,
        ChangePrecision,
        ChangeLook, // pen, text font, labels shown or hidden
    };
    Verb verb = Change;
    int kind = GT_NULL; // of the figure the step is about, GT_NULL for none
    int number = -1;    // as its label prints it
    bool operator==(const StepName&) const = default;

    // "Move Line 3", in the interface language (0 Simplified Chinese, 1 English, 2
    // Traditional Chinese).
    QString text(int language) const;
};

// Names the change between the figures before and after a gesture of the mouse or keyboard;
// `selected` is the selected figure's index afterwards (-1 for none).
StepName nameChange(const std::vector<GTFIGUREVALUES>& before,
                    const std::vector<GTFIGUREVALUES>& after, bool rulerChanged, int selected);

class MeasureStep : public QUndoCommand
{
  public:
    // Puts one side's figure data back whole into the document the step belongs to.
    using Restore = std::function<void(const QByteArray& figureData)>;

    // A mergeable step swallows the next one of the same name (a figure moved key by key).
    MeasureStep(Restore restore, QByteArray before, QByteArray after, StepName name,
                bool mergeable);

    const StepName& name() const { return name_; }
    const QByteArray& before() const { return before_; }
    const QByteArray& after() const { return after_; }

    void undo() override;
    // The first redo is the push: the change is already there.
    void redo() override;
    int id() const override { return mergeable_ ? 1 : -1; }
    bool mergeWith(const QUndoCommand* other) override;

  private:
    Restore restore_;
    QByteArray before_;
    QByteArray after_;
    StepName name_;
    bool mergeable_;
    bool pushed_ = false;
};
