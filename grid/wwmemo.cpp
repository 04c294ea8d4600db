#include "grid/wwmemo.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <memory>

#include "data/data_set.h"
#include "data/data_source.h"
#include "grid/cell_text.h"
#include "intl/dialog_buttons.h"
#include "intl/international_strings.h"
#include "toolkit/bevel_panel.h"
#include "toolkit/font_mapping.h"
#include "toolkit/glyph_button.h"
#include "toolkit/screen_metrics.h"
#include "toolkit/ui_services.h"

namespace grid {

TwwMemoDlg::TwwMemoDlg(TwwMemoDialog* owner, QWidget* parent) : QDialog(parent), owner_(owner) {
  setWindowTitle("Dialog");
  resize(561, 395);
  toolkit::FontSpec font;
  font.color = toolkit::clBlack;
  font.bold = true;
  toolkit::applyFont(*this, font);

  Memo = new QPlainTextEdit(this);
  Memo->setObjectName("Memo");
  Memo->setGeometry(0, 0, 545, 321);
  Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo->setTabChangesFocus(false);
  Memo->installEventFilter(this);

  UserButtonPanel = new toolkit::BevelPanel(this);
  UserButtonPanel->setObjectName("UserButtonPanel");
  UserButtonPanel->setBevelInner(toolkit::Bevel::kRaised);
  UserButtonPanel->setBevelOuter(toolkit::Bevel::kLowered);
  UserButtonPanel->setGeometry(0, 322, 237, 41);
  UserButtonPanel->hide();
  UserButton1 = new QPushButton("UserButton1", UserButtonPanel);
  UserButton1->setGeometry(16, 8, 89, 26);
  UserButton1->hide();
  UserButton2 = new QPushButton("UserButton2", UserButtonPanel);
  UserButton2->setGeometry(128, 8, 89, 26);
  UserButton2->hide();
  connect(UserButton1, &QPushButton::clicked, this, [this] {
    if (owner_ && owner_->OnUserButton1Click) owner_->OnUserButton1Click(*this, *Memo);
  });
  connect(UserButton2, &QPushButton::clicked, this, [this] {
    if (owner_ && owner_->OnUserButton2Click) owner_->OnUserButton2Click(*this, *Memo);
  });

  OKBtn = intl::CreateDialogButton(this, intl::TwwDialogButtonKind::dbkOK);
  CancelBtn = intl::CreateDialogButton(this, intl::TwwDialogButtonKind::dbkCancel);
  // The click comes before the button's own ending of the dialog.
  connect(OKBtn, &QPushButton::pressed, this, [this] { OKClicked = true; });
  setTabOrder(Memo, OKBtn);
  setTabOrder(OKBtn, CancelBtn);
}

void TwwMemoDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (firstShow_) {
    firstShow_ = false;
    FirstShow();
  }
}

void TwwMemoDlg::FirstShow() {
  toolkit::applyFont(*Memo, StoredFont);
  setWindowTitle(StoredCaption);
  if (owner_) {
    if (owner_->DlgLeft == 0 && owner_->DlgTop == 0) {
      resize(owner_->DlgWidth, owner_->DlgHeight);
    } else if (owner_->DlgLeft > 0 || owner_->DlgTop > 0) {
      setGeometry(owner_->DlgLeft, owner_->DlgTop, owner_->DlgWidth, owner_->DlgHeight);
    }
    const bool one = !owner_->UserButton1Caption.empty();
    const bool two = !owner_->UserButton2Caption.empty();
    if (one || two) {
      UserButtonPanel->move(Memo->x() - 1, Memo->y() + Memo->height() + 2);
      UserButtonPanel->show();
      int x = 0;
      if (one) {
        UserButton1->move(10, UserButton1->y());
        UserButton1->show();
        x = UserButton1->x() + UserButton1->width();
      }
      if (two) {
        UserButton2->move(x + 15, UserButton2->y());
        UserButton2->show();
        x = UserButton2->x() + UserButton2->width();
      }
      UserButtonPanel->resize(x + 10, UserButtonPanel->height());
    }
  }
  QFont dialogFont = font();
  const intl::TFontStyles& styles = intl::GlobalIntl().DialogFontStyle();
  dialogFont.setBold(styles.count(intl::TFontStyle::fsBold) > 0);
  dialogFont.setItalic(styles.count(intl::TFontStyle::fsItalic) > 0);
  dialogFont.setUnderline(styles.count(intl::TFontStyle::fsUnderline) > 0);
  dialogFont.setStrikeOut(styles.count(intl::TFontStyle::fsStrikeOut) > 0);
  setFont(dialogFont);
  toolkit::applyFont(*Memo, StoredFont);
  LayoutControls();
  if (owner_) owner_->DoInitDialog(*this);
  Memo->document()->setModified(false);
}

void TwwMemoDlg::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  LayoutControls();
}

// The window's own size less its frame and caption, as the stored form
// counted them.
void TwwMemoDlg::LayoutControls() {
  const toolkit::ScreenMetrics& metrics = toolkit::screenMetrics();
  const int frameHeight = metrics.dialogFrameHeight;
  const int outerWidth = width() + 2 * metrics.dialogFrameWidth;
  const int outerHeight = height() + 2 * frameHeight + metrics.captionHeight;
  Memo->setGeometry(6, 6, outerWidth - 20,
                    outerHeight - 2 * frameHeight - metrics.captionHeight - 53);
  OKBtn->move(OKBtn->x(), Memo->height() + 17);
  CancelBtn->move(CancelBtn->x(), Memo->height() + 17);
  if (UserButtonPanel->isVisible())
    UserButtonPanel->move(UserButtonPanel->x(), Memo->y() + Memo->height() + 2);
  if (!Memo->isReadOnly()) {
    OKBtn->move(Memo->width() - 2 * OKBtn->width() - 40, OKBtn->y());
    CancelBtn->move(Memo->width() - OKBtn->width() - 20, CancelBtn->y());
    CancelBtn->show();
  } else if (UserButtonPanel->isVisible()) {
    OKBtn->move(Memo->x() + Memo->width() - OKBtn->width() - 25, OKBtn->y());
  } else {
    OKBtn->move(Memo->width() / 2 + Memo->x() - CancelBtn->width() / 2, OKBtn->y());
  }
  OKBtn->show();
}

bool TwwMemoDlg::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Memo && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if ((enter && (key->modifiers() & Qt::ControlModifier)) || key->key() == Qt::Key_F2) {
      OKClicked = true;
      done(QDialog::Accepted);
      return true;
    }
    if (key->key() == Qt::Key_Escape) {
      done(QDialog::Rejected);
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

bool TwwMemoDlg::CanClose() {
  bool allowed = true;
  if (Memo->document()->isModified() && !OKClicked) {
    allowed =
        toolkit::ui().showMessage(intl::GlobalIntl().UserMessages().MemoChangesWarning, "",
                                  toolkit::MessageKind::kConfirmation,
                                  toolkit::MessageButtons::kYesNo) == toolkit::MessageResult::kYes;
  }
  OKClicked = false;
  return allowed;
}

void TwwMemoDlg::done(int result) {
  const bool confirmed = result == QDialog::Accepted && OKClicked;
  if (!confirmed && !CanClose()) return;
  OKClicked = false;
  QDialog::done(result == QDialog::Accepted && confirmed ? QDialog::Accepted : QDialog::Rejected);
}

void TwwMemoDlg::closeEvent(QCloseEvent* event) {
  if (!CanClose()) {
    event->ignore();
    return;
  }
  event->accept();
  QDialog::closeEvent(event);
}

bool TwwMemoDialog::Execute() {
  QWidget* active = QApplication::activeWindow();
  auto window = std::make_unique<TwwMemoDlg>(this, active);
  if (active && (active->windowFlags() & Qt::WindowStaysOnTopHint))
    window->setWindowFlag(Qt::WindowStaysOnTopHint);
  const bool editable = !MemoAttributes.count(TMemoAttribute::mViewOnly);
  window->Editable = editable;
  data::TField* field = nullptr;
  data::TDataSet* dataSet = DataSource ? DataSource->DataSet() : nullptr;
  if (dataSet && !DataField.empty()) {
    field = dataSet->FieldByName(DataField);
    window->Memo->setPlainText(editorText(dataSet, field->AsString()));
  }
  window->Memo->setLineWrapMode(MemoAttributes.count(TMemoAttribute::mWordWrap)
                                    ? QPlainTextEdit::WidgetWidth
                                    : QPlainTextEdit::NoWrap);
  if (!MemoAttributes.count(TMemoAttribute::mSizeable)) window->setFixedSize(window->size());
  window->StoredFont = Font;
  window->StoredCaption = QString::fromStdString(Caption);
  if (!editable) window->Memo->setReadOnly(true);
  window->UserButton1->setText(QString::fromStdString(UserButton1Caption));
  window->UserButton2->setText(QString::fromStdString(UserButton2Caption));

  window_ = window.get();
  struct Forget {
    TwwMemoDlg*& window;
    ~Forget() { window = nullptr; }
  } forget{window_};
  const bool confirmed = window->exec() == QDialog::Accepted;
  DoCloseDialog(*window);
  const QString text = window->Memo->toPlainText();
  window.reset();
  if (confirmed && editable && field) {
    std::string bytes;
    QString error;
    if (!tableText(dataSet, text, &bytes, &error)) throw std::runtime_error(error.toStdString());
    dataSet->Edit();
    field->SetAsString(bytes);
  }
  return confirmed;
}

}  // namespace grid
