#include "intl/dialog_buttons.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QFontInfo>
#include <QSignalSpy>
#include <QTest>

#include "intl/international_strings.h"
#include "toolkit/glyph_button.h"

namespace intl {
namespace {

class DialogButtons : public ::testing::Test {
 protected:
  void SetUp() override { FreeGlobalIntl(); }
  void TearDown() override { FreeGlobalIntl(); }

  QSize Scaled(int width, int height) const {
    const double dpi = dialog_.screen()->logicalDotsPerInch();
    return {ScaledToScreen(width, dpi), ScaledToScreen(height, dpi)};
  }

  QDialog dialog_;
};

TEST_F(DialogButtons, BitmappedButtonsByDefault) {
  toolkit::GlyphButton* ok = CreateDialogButton(&dialog_, TwwDialogButtonKind::dbkOK);
  toolkit::GlyphButton* cancel = CreateDialogButton(&dialog_, TwwDialogButtonKind::dbkCancel);
  toolkit::GlyphButton* help = CreateDialogButton(&dialog_, TwwDialogButtonKind::dbkHelp);
  for (toolkit::GlyphButton* button : {ok, cancel, help}) {
    EXPECT_EQ(button->parentWidget(), &dialog_);
    EXPECT_TRUE(button->isHidden());
    EXPECT_EQ(button->size(), Scaled(77, 27));
    EXPECT_TRUE(button->hasGlyph());
    EXPECT_EQ(button->margin(), 2);
    EXPECT_EQ(button->spacing(), -1);
    EXPECT_EQ(QFontInfo(button->font()).pixelSize(), 11);
    EXPECT_FALSE(button->font().bold());
  }
  EXPECT_EQ(ok->text(), "&OK");
  EXPECT_EQ(cancel->text(), "Cancel");
  EXPECT_EQ(help->text(), "Help");
  EXPECT_EQ(ok->kind(), toolkit::ButtonKind::kOk);
  EXPECT_EQ(cancel->kind(), toolkit::ButtonKind::kCancel);
  EXPECT_EQ(help->kind(), toolkit::ButtonKind::kHelp);
}

TEST_F(DialogButtons, PlainButtonsWhenNotBitmapped) {
  GlobalIntl().SetOKCancelBitmapped(false);
  const QFont formFont = dialog_.font();
  toolkit::GlyphButton* ok = CreateDialogButton(&dialog_, TwwDialogButtonKind::dbkOK);
  EXPECT_EQ(ok->size(), Scaled(77, 24));
  EXPECT_FALSE(ok->hasGlyph());
  EXPECT_EQ(ok->font(), formFont);
  EXPECT_EQ(ok->text(), "&OK");
}

TEST_F(DialogButtons, CaptionsAndFontStyleComeFromTheGlobalStringsWhenTheButtonIsMade) {
  GlobalIntl().SetBtnOKCaption("&Ja");
  GlobalIntl().SetBtnCancelCaption("Annuleren");
  GlobalIntl().SetDialogFontStyle({TFontStyle::fsBold, TFontStyle::fsItalic});
  toolkit::GlyphButton* ok = CreateDialogButton(&dialog_, TwwDialogButtonKind::dbkOK);
  toolkit::GlyphButton* cancel = CreateDialogButton(&dialog_, TwwDialogButtonKind::dbkCancel);
  EXPECT_EQ(ok->text(), "&Ja");
  EXPECT_EQ(cancel->text(), "Annuleren");
  EXPECT_TRUE(cancel->font().bold());
  EXPECT_TRUE(cancel->font().italic());
}

TEST_F(DialogButtons, OkAndCancelEndTheDialogWithTheirResults) {
  toolkit::GlyphButton* ok = CreateDialogButton(&dialog_, TwwDialogButtonKind::dbkOK);
  toolkit::GlyphButton* cancel = CreateDialogButton(&dialog_, TwwDialogButtonKind::dbkCancel);
  toolkit::GlyphButton* help = CreateDialogButton(&dialog_, TwwDialogButtonKind::dbkHelp);
  for (auto* button : {ok, cancel, help}) button->show();

  dialog_.show();
  QSignalSpy finished(&dialog_, &QDialog::finished);
  QTest::mouseClick(help, Qt::LeftButton);
  EXPECT_TRUE(dialog_.isVisible());
  EXPECT_EQ(finished.count(), 0);

  QTest::mouseClick(ok, Qt::LeftButton);
  ASSERT_EQ(finished.count(), 1);
  EXPECT_EQ(finished.at(0).at(0).toInt(), QDialog::Accepted);

  dialog_.show();
  QTest::mouseClick(cancel, Qt::LeftButton);
  ASSERT_EQ(finished.count(), 2);
  EXPECT_EQ(finished.at(1).at(0).toInt(), QDialog::Rejected);
}

TEST_F(DialogButtons, CancelAnswersEscapeOnAnyForm) {
  // A plain window, so nothing but the button can answer the key.
  QWidget form;
  for (bool bitmapped : {true, false}) {
    GlobalIntl().SetOKCancelBitmapped(bitmapped);
    toolkit::GlyphButton* ok = CreateDialogButton(&form, TwwDialogButtonKind::dbkOK);
    toolkit::GlyphButton* cancel = CreateDialogButton(&form, TwwDialogButtonKind::dbkCancel);
    ok->show();
    cancel->show();
    form.show();
    QApplication::setActiveWindow(&form);
    QSignalSpy okClicks(ok, &QPushButton::clicked);
    QSignalSpy cancelClicks(cancel, &QPushButton::clicked);
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_TRUE(cancelClicks.wait(1000) || cancelClicks.count() == 1) << bitmapped;
    EXPECT_EQ(okClicks.count(), 0);
    delete ok;
    delete cancel;
  }
}

TEST(DialogButtonScaling, FollowsTheScreensLogicalResolution) {
  EXPECT_EQ(ScaledToScreen(77, 96), 77);
  EXPECT_EQ(ScaledToScreen(77, 120), 96);
  EXPECT_EQ(ScaledToScreen(24, 144), 36);
  EXPECT_EQ(ScaledToScreen(27, 120), 34);
}

}  // namespace
}  // namespace intl
