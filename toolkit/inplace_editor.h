// The editor a CellGrid shows over its current cell: a one-line edit box
// without a frame. Keys that move between cells (Up, Down, Page Up, Page
// Down, Tab, Escape, Enter, Ctrl with a movement key, Left and Right past the
// ends of the text, Home and End with the whole text selected) go to the
// grid; the rest edit the text, and every change the user makes is handed to
// the grid's setEditText.
#pragma once

#include <QLineEdit>

namespace toolkit {

class CellGrid;

class InplaceEditor : public QLineEdit {
  Q_OBJECT
 public:
  explicit InplaceEditor(CellGrid* grid);

  CellGrid* grid() const { return grid_; }
  // Shows text as the editor's own (not a user change) with all selected.
  void loadText(const QString& text);
  // Whether a key goes to the grid rather than the text.
  bool keyBelongsToGrid(const QKeyEvent& event) const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  // Hands a key to the grid as if it had been pressed there.
  void passToGrid(QKeyEvent* event);

 private:
  friend class CellGrid;
  CellGrid* grid_;
};

}  // namespace toolkit
