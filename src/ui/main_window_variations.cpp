// The main window's part in the user's variations: the Edit menu's Delete
// Variation and Promote to Main Line, Up / Down at a branching point, the grey
// selection and the title while the board is off the game, and the question
// before another game replaces unsaved ones.

#include "platform/qt/qt_dialogs.h"
#include "ui/export_commands.h"
#include "ui/main_window.h"

#include <QAction>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QStyle>

namespace quorvane::ui {

void FrmChsMain::setQuestionSeam(Question *question) {
    if (!question && !ownQuestion_)
        ownQuestion_ = std::make_unique<QtQuestion>(this);
    question_ = question ? question : ownQuestion_.get();
}

void FrmChsMain::buildVariationCommands(QMenu *edit) {
    edit->addSeparator();
    deleteVariation_ = edit->addAction(QStringLiteral("&Delete Variation"), this, &FrmChsMain::deleteVariation);
    deleteVariation_->setObjectName(QStringLiteral("mnuDeleteVariation"));
    deleteVariation_->setStatusTip(QStringLiteral("Removes the variation on the board, with its moves"));
    promoteVariation_ =
        edit->addAction(QStringLiteral("Pro&mote to Main Line"), this, &FrmChsMain::promoteVariation);
    promoteVariation_->setObjectName(QStringLiteral("mnuPromoteVariation"));
    promoteVariation_->setStatusTip(
        QStringLiteral("Makes the variation on the board the game's moves; the game's own become a variation"));
    export_->useVariations(*variations_);
}

void FrmChsMain::deleteVariation() {
    variations_->DeleteVariation();
    refresh();
}

void FrmChsMain::promoteVariation() {
    variations_->PromoteToMainLine();
    refresh();
}

bool FrmChsMain::chooseVariation(int direction) {
    if (variations_->ChoiceText().empty())
        return false;
    if (direction > 0)
        variations_->ChooseNext();
    else
        variations_->ChoosePrevious();
    refresh();
    return true;
}

bool FrmChsMain::keepOrDropVariations() {
    return KeepOrDropVariations(*variations_, *question_, [this] { return export_->saveAsPgn(); });
}

void FrmChsMain::showVariationState() {
    const bool off = variations_->OffRecord();
    if (deleteVariation_) {
        deleteVariation_->setEnabled(variations_->CanDelete());
        promoteVariation_->setEnabled(variations_->CanPromote());
    }
    const QString choice = QString::fromStdString(variations_->ChoiceText());
    if (cmdNext_->toolTip() != choice)
        cmdNext_->setToolTip(choice);
    if (off == shownOffRecord_)
        return;
    shownOffRecord_ = off;
    // The move list is the game's: off it, its selection goes grey, as a list
    // that is not the one in charge shows it.
    QPalette palette = lstMoveList_->palette();
    const QPalette standard = lstMoveList_->style()->standardPalette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Highlight,
                         off ? QColor(128, 128, 128) : standard.color(group, QPalette::Highlight));
        palette.setColor(group, QPalette::HighlightedText,
                         off ? QColor(224, 224, 224) : standard.color(group, QPalette::HighlightedText));
    }
    lstMoveList_->setPalette(palette);
}

} // namespace quorvane::ui
