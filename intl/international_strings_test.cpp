#include "intl/international_strings.h"

#include <gtest/gtest.h>

#include <memory>

namespace intl {
namespace {

class InternationalStrings : public ::testing::Test {
 protected:
  void SetUp() override { FreeGlobalIntl(); }
  void TearDown() override { FreeGlobalIntl(); }
};

TEST_F(InternationalStrings, DefaultsThatUsersSee) {
  const TwwIntl& global = GlobalIntl();
  const TwwUserMessagesIntl& messages = global.UserMessages();
  EXPECT_EQ(messages.wwDBGridDiscardChanges, "Discard changes to this record?");
  EXPECT_EQ(messages.PictureValidateError, "Invalid characters. Field : ");
  EXPECT_EQ(messages.LocateNoMatches, "No matches found");
  EXPECT_EQ(messages.LocateNoMoreMatches, "No more matches found");
  EXPECT_EQ(messages.MemoChangesWarning,
            "Changes have been made!  Are you sure you wish to cancel?");
  EXPECT_EQ(messages.RichEditExitWarning,
            "Changes have been made!  Do you wish to save your changes?");
  EXPECT_EQ(messages.RichEditClearWarning, "Clear entire text?");
  EXPECT_EQ(messages.FilterDlgNoCriteria, "You have not selected any search criteria");
  EXPECT_EQ(messages.RecordViewExitWarning,
            "Changes have been made!  Do you wish to save your changes?");
  EXPECT_EQ(global.BtnOKCaption(), "&OK");
  EXPECT_EQ(global.BtnCancelCaption(), "Cancel");
  EXPECT_TRUE(global.OKCancelBitmapped());
  EXPECT_TRUE(global.UseLocateMethodForSearch());
  EXPECT_TRUE(global.ReopenTableOnCancelRange());
  EXPECT_FALSE(global.Connected());
  EXPECT_EQ(global.CheckBoxInGridStyle(), TwwCheckBoxInGridStyle::cbStyleAuto);
  EXPECT_TRUE(global.DialogFontStyle().empty());
  EXPECT_EQ(global.LocateDialog().MatchStartLabel, "&Partial Match at Beginning");
  EXPECT_EQ(global.SearchDialog().StatusRecLabel, "Rec #");
  EXPECT_EQ(global.FilterDialog().FieldOrderHint,
            "Sort field list alphabetically or in their natural logical order");
  EXPECT_EQ(global.RichEdit().TabDialog.ClearAllButtonHint, "Clear all the tabs");
}

TEST_F(InternationalStrings, FreeingTheGlobalInstanceClearsTheReference) {
  GlobalIntl().SetBtnOKCaption("Ja");
  FreeGlobalIntl();
  EXPECT_EQ(GlobalIntl().BtnOKCaption(), "&OK");
  GlobalIntl().SetBtnOKCaption("Ja");
  delete &GlobalIntl();
  EXPECT_EQ(GlobalIntl().BtnOKCaption(), "&OK");
}

// Every value differs from the default, so a copied one can be told apart.
void Translate(TwwIntl& intl) {
  intl.SearchDialog().SearchByHint = "Zoekvolgorde";
  intl.LocateDialog().BtnNextHint = "Volgende";
  intl.FilterDialog().AllSearchedTabHint = "Alle velden";
  intl.RichEdit().TabsHint = "Tabs instellen";
  intl.RichEdit().MenuLabels.HelpCaption = "Hulp";
  intl.RichEdit().PopupMenuLabels.CutCaption = "Knippen";
  intl.RichEdit().PopupMenuLabels.BoldCaption = "Vet";
  intl.RichEdit().PopupMenuLabels.ItalicCaption = "Cursief";
  intl.RichEdit().PopupMenuLabels.UnderlineCaption = "Onderstreept";
  intl.UserMessages().wwDBGridDiscardChanges = "Wijzigingen vergeten?";
  intl.UserMessages().PictureValidateError = "Ongeldige tekens. Veld : ";
  intl.UserMessages().RecordViewExitWarning = "Opslaan?";
  intl.SetOKCancelBitmapped(false);
  intl.SetBtnOKCaption("&Ja");
  intl.SetBtnCancelCaption("Annuleren");
  intl.SetCheckBoxInGridStyle(TwwCheckBoxInGridStyle::cbStyleXmark);
  intl.SetDialogFontStyle({TFontStyle::fsBold});
  intl.SetUseLocateMethodForSearch(false);
  intl.SetReopenTableOnCancelRange(false);
}

TEST_F(InternationalStrings, ConnectingCopiesExactlyTheListedSubset) {
  TwwIntl onForm;
  Translate(onForm);
  EXPECT_EQ(GlobalIntl().BtnOKCaption(), "&OK");  // nothing before connecting
  onForm.SetConnected(true);

  const TwwIntl& global = GlobalIntl();
  EXPECT_EQ(global.SearchDialog(), onForm.SearchDialog());
  EXPECT_EQ(global.LocateDialog(), onForm.LocateDialog());
  EXPECT_EQ(global.FilterDialog(), onForm.FilterDialog());
  EXPECT_EQ(global.RichEdit().TabsHint, "Tabs instellen");
  EXPECT_EQ(global.RichEdit().MenuLabels.HelpCaption, "Hulp");
  EXPECT_EQ(global.RichEdit().PopupMenuLabels.CutCaption, "Knippen");
  EXPECT_EQ(global.UserMessages().wwDBGridDiscardChanges, "Wijzigingen vergeten?");
  EXPECT_EQ(global.UserMessages().PictureValidateError, "Ongeldige tekens. Veld : ");
  EXPECT_FALSE(global.OKCancelBitmapped());
  EXPECT_EQ(global.BtnOKCaption(), "&Ja");
  EXPECT_EQ(global.BtnCancelCaption(), "Annuleren");
  EXPECT_EQ(global.CheckBoxInGridStyle(), TwwCheckBoxInGridStyle::cbStyleXmark);
  EXPECT_EQ(global.DialogFontStyle(), TFontStyles{TFontStyle::fsBold});
  EXPECT_FALSE(global.UseLocateMethodForSearch());
  EXPECT_FALSE(global.ReopenTableOnCancelRange());
  // Left out of the copy.
  EXPECT_EQ(global.RichEdit().PopupMenuLabels.BoldCaption, "&Bold");
  EXPECT_EQ(global.RichEdit().PopupMenuLabels.ItalicCaption, "&Italic");
  EXPECT_EQ(global.RichEdit().PopupMenuLabels.UnderlineCaption, "&Underline");
  EXPECT_EQ(global.UserMessages().RecordViewExitWarning,
            "Changes have been made!  Do you wish to save your changes?");
  EXPECT_FALSE(global.Connected());
}

TEST_F(InternationalStrings, ALoadedConnectedInstanceConnectsAfterItsOtherProperties) {
  TwwIntl onForm;
  onForm.BeginLoading();
  onForm.SetConnected(true);
  onForm.SetUseLocateMethodForSearch(false);
  EXPECT_TRUE(GlobalIntl().UseLocateMethodForSearch());
  onForm.Loaded();
  EXPECT_FALSE(GlobalIntl().UseLocateMethodForSearch());
}

TEST_F(InternationalStrings, CopiedStringsOutliveTheConnectedInstance) {
  {
    TwwIntl onForm;
    Translate(onForm);
    onForm.SetConnected(true);
  }
  EXPECT_EQ(GlobalIntl().BtnCancelCaption(), "Annuleren");
  EXPECT_FALSE(GlobalIntl().UseLocateMethodForSearch());
}

TEST_F(InternationalStrings, CheckBoxStyleReachesTheGlobalInstanceOnlyWhenConnected) {
  TwwIntl onForm;
  onForm.SetCheckBoxInGridStyle(TwwCheckBoxInGridStyle::cbStyleCheckmark);
  EXPECT_EQ(GlobalIntl().CheckBoxInGridStyle(), TwwCheckBoxInGridStyle::cbStyleAuto);
  onForm.SetConnected(true);
  EXPECT_EQ(GlobalIntl().CheckBoxInGridStyle(), TwwCheckBoxInGridStyle::cbStyleCheckmark);
  onForm.SetCheckBoxInGridStyle(TwwCheckBoxInGridStyle::cbStyleXmark);
  EXPECT_EQ(GlobalIntl().CheckBoxInGridStyle(), TwwCheckBoxInGridStyle::cbStyleXmark);
  // Only the switch to true copies; later changes of other values stay local.
  onForm.SetBtnOKCaption("Ja");
  onForm.SetConnected(true);
  EXPECT_EQ(GlobalIntl().BtnOKCaption(), "&OK");
}

TEST_F(InternationalStrings, TheGlobalInstanceConnectedToItselfChangesNothing) {
  TwwIntl& global = GlobalIntl();
  global.SetBtnOKCaption("Ja");
  global.SetConnected(true);
  global.SetCheckBoxInGridStyle(TwwCheckBoxInGridStyle::cbStyleXmark);
  EXPECT_EQ(global.BtnOKCaption(), "Ja");
  EXPECT_EQ(global.CheckBoxInGridStyle(), TwwCheckBoxInGridStyle::cbStyleXmark);
}

TEST(FontStyles, ApplyingSetsExactlyTheGivenStyles) {
  toolkit::FontSpec font;
  font.bold = true;
  ApplyFontStyles({TFontStyle::fsItalic, TFontStyle::fsStrikeOut}, font);
  EXPECT_FALSE(font.bold);
  EXPECT_TRUE(font.italic);
  EXPECT_FALSE(font.underline);
  EXPECT_TRUE(font.strikeOut);
}

}  // namespace
}  // namespace intl
