#include "recordview/record_view_builder.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <QMenuBar>
#include <QScrollArea>
#include <QScrollBar>
#include <algorithm>
#include <memory>
#include <optional>
#include <sstream>

#include "app/navigator.h"
#include "data/data_set.h"
#include "data/data_source.h"
#include "data/field.h"
#include "edit/wwdbedit.h"
#include "intl/dialog_buttons.h"
#include "recordview/field_memo.h"
#include "recordview/memo_dialog_bridge.h"
#include "recordview/mouse_handler.h"
#include "recordview/record_view_controls.h"
#include "recordview/record_view_form.h"
#include "recordview/record_view_layout.h"
#include "recordview/table_text.h"
#include "recordview/wwrcdvw.h"
#include "toolkit/bevel_panel.h"
#include "toolkit/font_mapping.h"
#include "toolkit/glyph_button.h"

namespace recordview {

namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream stream(text);
  while (std::getline(stream, part, separator)) parts.push_back(part);
  return parts;
}

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// How one field is shown, from the table's ControlType list.
struct FieldControl {
  ControlKind kind = ControlKind::kEdit;
  std::string checkedValue;
  std::string uncheckedValue;
  QWidget* borrowed = nullptr;
};

FieldControl ControlFor(const TwwRecordViewDialog& dialog, data::TField& field,
                        const std::vector<std::string>& controlTypes) {
  FieldControl control;
  const data::TFieldType type = field.DataType();
  if (type == data::TFieldType::ftMemo || type == data::TFieldType::ftFmtMemo) {
    control.kind = ControlKind::kMemo;
  }
  if (!dialog.Has(rvoUseCustomControls)) return control;
  for (const std::string& entry : controlTypes) {
    std::vector<std::string> parts = Split(entry, ';');
    if (parts.size() < 2) continue;
    const std::string& kind = parts[1];
    if (kind == "CheckBox" && parts[0] == field.FieldName()) {
      control.kind = ControlKind::kCheckBox;
      control.checkedValue = parts.size() > 2 ? parts[2] : "";
      control.uncheckedValue = parts.size() > 3 ? parts[3] : "";
      return control;
    }
    const bool custom =
        kind == "CustomEdit" || kind == "LookupCombo" || kind == "Combo" || kind == "RichEdit";
    if (custom && parts.size() > 2 && SameNameIgnoringCase(parts[0], field.FieldName()) &&
        dialog.Owner()) {
      QWidget* named = dialog.Owner()->findChild<QWidget*>(QString::fromStdString(parts[2]));
      if (!named) continue;
      control.kind = kind == "RichEdit" ? ControlKind::kRichEdit : ControlKind::kCustom;
      control.borrowed = named;
      return control;
    }
  }
  return control;
}

// The data-aware edit box as the edit list sees it. Its pending text goes
// into the field as every control's does before a post.
class DBEditEditor : public FieldEditor {
 public:
  explicit DBEditEditor(edit::TwwDBEdit* edit) : edit_(edit) {}
  bool Modified() const override { return edit_->isModified(); }
  void ClearModified() override { edit_->setModified(false); }
  void FinishEdit() override {
    data::TField* field = edit_->Field();
    if (!field || !edit_->isModified()) return;
    const data::DataSetState state = field->DataSet()->State();
    if (state == data::DataSetState::kEdit || state == data::DataSetState::kInsert) {
      field->DataSet()->UpdateRecord();
    }
  }
  bool WantReturns() const override { return edit_->WantReturns(); }

 private:
  edit::TwwDBEdit* edit_;
};

// A borrowed control that is not one of ours shows no pending change.
class PlainEditor : public FieldEditor {
 public:
  bool Modified() const override { return false; }
  void ClearModified() override {}
  void FinishEdit() override {}
};

bool BoundTo(QWidget* control, data::TwwDataSource* source, const std::string& fieldName) {
  if (auto* edit = qobject_cast<edit::TwwDBEdit*>(control)) {
    return edit->DataSource() == source && edit->DataField() == fieldName;
  }
  if (auto* memo = qobject_cast<FieldMemo*>(control)) {
    return memo->DataSource() == source && memo->DataField() == fieldName;
  }
  return false;
}

class FormSink : public LayoutSink {
 public:
  FormSink(TwwRecordViewDialog& dialog, TwwRecordViewForm& form,
           const std::vector<ShownField>& shown, const std::vector<FieldControl>& controls)
      : dialog_(dialog),
        form_(form),
        shown_(shown),
        controls_(controls),
        widgets_(shown.size(), nullptr),
        labels_(shown.size(), nullptr) {
    // The controls take the window's font from the window; labels in a font
    // of their own get it made once, not per label.
    if (!(dialog.LabelFont == dialog.Font)) {
      QLabel probe;
      toolkit::applyFont(probe, dialog.LabelFont);
      labelFont_ = probe.font();
      labelPalette_ = probe.palette();
    }
  }

  bool acceptField(int index) override {
    bool accept = true;
    if (dialog_.OnBeforeCreateControl) {
      dialog_.OnBeforeCreateControl(form_, *Field(index), accept);
    }
    return accept;
  }

  void placeLabel(int index, const LabelPlacement& placement) override {
    const bool checkBox = Control(index).kind == ControlKind::kCheckBox;
    QLabel* label =
        checkBox ? new TwwLabel(form_.ScrollContents) : new QLabel(form_.ScrollContents);
    if (labelFont_) {
      label->setFont(*labelFont_);
      label->setPalette(labelPalette_);
    }
    label->setText(ShownText(*Field(index)->DataSet(), placement.caption));
    label->setAlignment((placement.rightAligned ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop);
    label->setGeometry(QtRect(placement.bounds));
    labels_[static_cast<size_t>(index)] = label;
    if (dialog_.OnAfterCreateControl) dialog_.OnAfterCreateControl(form_, *Field(index), *label);
  }

  toolkit::Rect placeControl(int index, const ControlPlacement& placement) override {
    data::TField* field = Field(index);
    const FieldControl& kind = Control(index);
    QWidget* control = nullptr;
    FieldEditor* editor = nullptr;
    data::TwwDataSource* source = dialog_.DataSource();
    switch (kind.kind) {
      case ControlKind::kCheckBox: {
        auto* box = new TwwDBCheckBox(form_.ScrollContents);
        box->SetDataSource(source);
        box->SetDataField(field->FieldName());
        box->SetValues(kind.checkedValue, kind.uncheckedValue);
        box->SetLabel(labels_[static_cast<size_t>(index)]);
        control = box;
        break;
      }
      case ControlKind::kCustom:
      case ControlKind::kRichEdit: {
        control = kind.borrowed;
        form_.Borrow(control);
        control->setParent(form_.ScrollContents);
        control->show();
        if (!BoundTo(control, source, field->FieldName())) {
          // Shown where it stood, but not part of the form's rows.
          return RectOf(control->geometry());
        }
        if (auto* line = qobject_cast<QLineEdit*>(control)) {
          line->setFrame(true);
        } else if (auto* frame = qobject_cast<QFrame*>(control)) {
          frame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        }
        if (auto* dbEdit = qobject_cast<edit::TwwDBEdit*>(control)) {
          editor = form_.KeepEditor(std::make_unique<DBEditEditor>(dbEdit));
        } else {
          editor = dynamic_cast<FieldEditor*>(control);
          if (!editor) editor = form_.KeepEditor(std::make_unique<PlainEditor>());
        }
        break;
      }
      case ControlKind::kMemo: {
        auto* memo = new FieldMemo(form_.ScrollContents);
        memo->SetDataSource(source);
        memo->SetDataField(field->FieldName());
        memo->SetWantReturns(!dialog_.Has(rvoEnterToTab));
        memo->Font = dialog_.Font;
        memo->OnMemoDialog = [](FieldMemo& shownMemo) { OpenMemoDialog(shownMemo); };
        control = memo;
        editor = memo;
        break;
      }
      case ControlKind::kEdit: {
        auto* box = new edit::TwwDBEdit(form_.ScrollContents);
        box->SetDataSource(source);
        box->SetDataField(field->FieldName());
        box->Font = dialog_.Font;
        if (placement.readOnlyColor) {
          box->Color = dialog_.ReadOnlyColor;
          const QColor background = toolkit::qtColor(dialog_.ReadOnlyColor);
          QPalette palette = box->palette();
          palette.setColor(QPalette::Base, background);
          // On a dark read-only colour (navy here) the value would vanish in
          // window text: it is written in white instead.
          if (background.lightness() < 128) {
            box->Font.color = toolkit::clWhite;
            palette.setColor(QPalette::Text, Qt::white);
          }
          box->setPalette(palette);
        }
        control = box;
        editor = form_.KeepEditor(std::make_unique<DBEditEditor>(box));
        break;
      }
    }
    control->setGeometry(QtRect(placement.bounds));
    if (!placement.tabStop) control->setFocusPolicy(Qt::ClickFocus);
    if (QLabel* label = labels_[static_cast<size_t>(index)]) label->setBuddy(control);
    if (editor) form_.AddToEditList(control, editor);
    widgets_[static_cast<size_t>(index)] = control;
    if (dialog_.OnAfterCreateControl) dialog_.OnAfterCreateControl(form_, *field, *control);
    return RectOf(control->geometry());
  }

  void setControlWidth(int index, int width) override {
    QWidget* control = widgets_[static_cast<size_t>(index)];
    control->resize(width, control->height());
  }

  QWidget* FirstFocusable() const {
    for (QWidget* control : widgets_) {
      if (control && (control->focusPolicy() & Qt::TabFocus) && control->isEnabled())
        return control;
    }
    return nullptr;
  }

 private:
  data::TField* Field(int index) const { return shown_[static_cast<size_t>(index)].field; }
  const FieldControl& Control(int index) const { return controls_[static_cast<size_t>(index)]; }
  static QRect QtRect(const toolkit::Rect& r) {
    return QRect(r.left, r.top, r.width(), r.height());
  }
  static toolkit::Rect RectOf(const QRect& r) {
    return toolkit::Rect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
  }

  TwwRecordViewDialog& dialog_;
  TwwRecordViewForm& form_;
  const std::vector<ShownField>& shown_;
  const std::vector<FieldControl>& controls_;
  std::vector<QWidget*> widgets_;
  std::vector<QLabel*> labels_;
  std::optional<QFont> labelFont_;
  QPalette labelPalette_;
};

void BuildPanels(TwwRecordViewDialog& dialog, TwwRecordViewForm& form) {
  if (!dialog.Has(rvoHideNavigator)) {
    form.NavigatorPanel = new toolkit::BevelPanel(&form);
    form.NavigatorPanel->setObjectName("NavigatorPanel");
    form.NavigatorPanel->resize(form.width(), 41);
    form.Navigator = new app::TDBNavigator(form.NavigatorPanel);
    form.Navigator->setGeometry(8, 8, 240, 25);
    form.Navigator->SetDataSource(dialog.DataSource());
    form.Navigator->SetTabStop(true);
    form.Navigator->SetFlat(dialog.NavigatorFlat);
    form.Navigator->SetVisibleButtons(dialog.NavigatorVisibleButtons);
    if (dialog.NavigatorFlat) {
      form.Navigator->move(8, 1);
      form.NavigatorPanel->resize(form.width(), form.Navigator->height() + 2);
    }
  }
  form.RecordPanel = new toolkit::BevelPanel(&form);
  form.RecordPanel->setObjectName("RecordPanel");
  form.RecordPanel->setBevelInner(toolkit::Bevel::kLowered);
  form.RecordPanel->setBorderWidth(4);

  if (dialog.Has(rvokShowOKCancel)) {
    form.UserPanel = new toolkit::BevelPanel(&form);
    form.UserPanel->setObjectName("UserPanel");
    form.OKButton = intl::CreateDialogButton(form.UserPanel, intl::TwwDialogButtonKind::dbkOK);
    form.CancelButton =
        intl::CreateDialogButton(form.UserPanel, intl::TwwDialogButtonKind::dbkCancel);
    form.CancelButton->setCancel(false);
    for (toolkit::GlyphButton* button : {form.OKButton, form.CancelButton}) {
      // The buttons close through the window's close query with their reason
      // set, not by ending the dialog themselves.
      QObject::disconnect(button, &QPushButton::clicked, button, nullptr);
      button->setFocusPolicy(Qt::NoFocus);
      button->setAutoDefault(false);
    }
    form.OKButton->setDefault(!dialog.Has(rvoEnterToTab));
    QObject::connect(form.OKButton, &QPushButton::clicked, &form, [&form] {
      RunFromMouse(&form, [&form] {
        form.SetCloseReason(TwwCloseReason::crOK);
        form.SetModalResult(mrOK);
      });
    });
    QObject::connect(form.CancelButton, &QPushButton::clicked, &form, [&form] {
      RunFromMouse(&form, [&form] {
        form.SetCloseReason(TwwCloseReason::crCancel);
        form.SetModalResult(mrCancel);
      });
    });
    const int frame = toolkit::screenMetrics().dialogFrameHeight;
    form.UserPanel->resize(form.width(), 2 * frame + form.OKButton->height() + 10);
    form.OKButton->move(form.OKButton->x(), frame + 5);
    form.CancelButton->move(form.CancelButton->x(), frame + 5);
    form.OKButton->show();
    form.CancelButton->show();
  }

  form.ScrollBox = new QScrollArea(form.RecordPanel);
  form.ScrollBox->setFrameShape(QFrame::NoFrame);
  form.ScrollBox->setWidgetResizable(false);
  form.ScrollContents = new QWidget;
  form.ScrollBox->setWidget(form.ScrollContents);
  form.AlignPanels();
}

void ApplyBorderStyle(TFormBorderStyle border, TwwRecordViewForm& form) {
  switch (border) {
    case TFormBorderStyle::bsNone:
      form.setWindowFlag(Qt::FramelessWindowHint);
      break;
    case TFormBorderStyle::bsToolWindow:
    case TFormBorderStyle::bsSizeToolWin:
      form.setWindowFlag(Qt::Tool);
      break;
    default:
      break;
  }
}

LayoutMetrics MeasureFor(const TwwRecordViewDialog& dialog, const TwwRecordViewForm& form) {
  LayoutMetrics metrics;
  metrics.screen = toolkit::screenMetrics();
  const QFontMetrics windowFont(toolkit::qtFont(dialog.Font));
  metrics.zeroWidth = windowFont.horizontalAdvance(QLatin1Char('0'));
  metrics.zeroHeight = windowFont.height();
  const QFontMetrics labelFont(toolkit::qtFont(dialog.LabelFont));
  const data::TDataSet* dataSet = dialog.DataSource()->DataSet();
  metrics.labelWidth = [labelFont, dataSet](const std::string& text) {
    return labelFont.horizontalAdvance(ShownText(*dataSet, text));
  };
  metrics.labelHeight = labelFont.height();
  edit::TwwDBEdit probe;
  toolkit::applyFont(probe, dialog.Font);
  metrics.editHeight = probe.sizeHint().height();
  if (form.OKButton) {
    metrics.okWidth = form.OKButton->width();
    metrics.okHeight = form.OKButton->height();
  }
  metrics.navigatorPanelHeight = form.NavigatorPanel ? form.NavigatorPanel->height() : 0;
  NonClientSize(dialog.BorderStyle, metrics.screen, metrics.nonClientWidth,
                metrics.nonClientHeight);
  return metrics;
}

}  // namespace

std::vector<ShownField> ShownFields(const TwwRecordViewDialog& dialog, data::TDataSet& dataSet) {
  auto passes = [&dialog](const data::TField* field) {
    if (!field) return false;
    if (dialog.Has(rvoHideReadOnly) && field->ReadOnly()) return false;
    if (dialog.Has(rvoHideCalculated) && field->Calculated()) return false;
    return true;
  };
  std::vector<ShownField> shown;
  if (dialog.Selected.empty()) {
    for (int i = 0; i < dataSet.FieldCount(); ++i) {
      data::TField* field = dataSet.Fields(i);
      if (passes(field)) shown.push_back({field, field->DisplayWidth(), field->DisplayName()});
    }
    return shown;
  }
  for (const std::string& entry : dialog.Selected) {
    std::vector<std::string> parts = Split(entry, '\t');
    data::TField* field = parts.empty() ? nullptr : dataSet.FindField(parts[0]);
    if (!field) {
      shown.push_back({nullptr, 0, {}});
      continue;
    }
    if (!passes(field)) continue;
    int width = field->DisplayWidth();
    if (parts.size() > 1) {
      try {
        width = std::stoi(parts[1]);
      } catch (const std::exception&) {
      }
    }
    std::string label = parts.size() > 2 ? parts[2] : field->DisplayName();
    shown.push_back({field, width, label});
  }
  return shown;
}

void BuildRecordView(TwwRecordViewDialog& dialog, TwwRecordViewForm& form) {
  data::TDataSet& dataSet = *dialog.DataSource()->DataSet();
  ApplyBorderStyle(dialog.BorderStyle, form);
  form.setWindowTitle(QString::fromStdString(dialog.Caption));
  toolkit::applyFont(form, dialog.Font);
  BuildPanels(dialog, form);

  std::vector<ShownField> shown = ShownFields(dialog, dataSet);
  std::vector<std::string> controlTypes;
  const data::PropertyValue controlTypeList = dataSet.ReadProperty("ControlType");
  if (auto* list = std::get_if<std::vector<std::string>>(&controlTypeList)) controlTypes = *list;
  std::vector<LayoutField> fields;
  std::vector<FieldControl> controls;
  for (const ShownField& entry : shown) {
    LayoutField field;
    FieldControl control;
    if (!entry.field) {
      field.rowBreak = true;
    } else {
      control = ControlFor(dialog, *entry.field, controlTypes);
      field.label = entry.label;
      field.displayWidth = entry.displayWidth;
      field.readOnly = entry.field->ReadOnly();
      field.calculated = entry.field->Calculated();
      field.kind = control.kind;
      if (control.borrowed) {
        field.customHeight = control.borrowed->height();
        field.placed = BoundTo(control.borrowed, dialog.DataSource(), entry.field->FieldName());
      }
    }
    fields.push_back(field);
    controls.push_back(control);
  }
  // The vertical style never holds row breaks.
  if (dialog.Style == TwwRecordViewStyle::rvsVertical) {
    for (size_t i = fields.size(); i-- > 0;) {
      if (fields[i].rowBreak) {
        fields.erase(fields.begin() + static_cast<std::ptrdiff_t>(i));
        controls.erase(controls.begin() + static_cast<std::ptrdiff_t>(i));
        shown.erase(shown.begin() + static_cast<std::ptrdiff_t>(i));
      }
    }
  }

  LayoutSettings settings;
  settings.style = dialog.Style;
  settings.options = dialog.Options;
  settings.okCancel = dialog.OKCancelOptions;
  settings.margin = dialog.Margin;
  settings.spacing = dialog.EditSpacing;
  settings.position = dialog.FormPosition;
  settings.borderStyle = dialog.BorderStyle;
  settings.hasMenu = dialog.Menu() && !dialog.Menu()->actions().isEmpty();
  const LayoutMetrics metrics = MeasureFor(dialog, form);

  FormSink sink(dialog, form, shown, controls);
  LayoutResult layout = LayOutRecordView(fields, settings, metrics, sink);
  if (settings.hasMenu) form.AttachMenu(dialog.Menu());

  for (const TwwRecordViewForm::EditEntry& entry : form.EditList()) entry.editor->ClearModified();

  form.ScrollContents->resize(std::max(layout.horizontal.range, 1),
                              std::max(layout.vertical.range, 1));
  form.ScrollBox->verticalScrollBar()->setSingleStep(layout.vertical.increment);
  form.SetLayout(settings, metrics, layout);
  form.SetOuterGeometry(layout.windowLeft, layout.windowTop, layout.windowWidth,
                        layout.windowHeight);
  if (form.OKButton) {
    form.OKButton->move(layout.buttons.okLeft, layout.buttonTop);
    form.CancelButton->move(layout.buttons.cancelLeft, layout.buttonTop);
  }
  if (QWidget* first = sink.FirstFocusable()) first->setFocus();
  form.AttachResizeHandler();
}

}  // namespace recordview
