/* Quorvane's skin: a calm, light look with one accent colour. A Qt style sheet. */
QWidget#Form1 {
  background: #eef2f6;
}
QGroupBox {
  background: #f8fafc;
  border: 1px solid #c6d0db;
  border-radius: 6px;
  margin-top: 9px;
  color: #1f3b57;
}
QGroupBox::title {
  subcontrol-origin: margin;
  left: 8px;
  padding: 0 4px;
  background: transparent;
}
QRadioButton {
  background: transparent;
  color: #23313f;
  spacing: 6px;
}
QRadioButton::indicator {
  width: 12px;
  height: 12px;
  border-radius: 7px;
  border: 1px solid #5b7a95;
  background: white;
}
QRadioButton::indicator:hover {
  border-color: #1f5f8b;
}
QRadioButton::indicator:checked {
  background: qradialgradient(cx:0.5, cy:0.5, radius:0.5, fx:0.5, fy:0.5,
                              stop:0 #1f5f8b, stop:0.45 #1f5f8b, stop:0.55 white, stop:1 white);
}
QPushButton {
  background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #2d77ab, stop:1 #1f5f8b);
  color: white;
  border: 1px solid #184c70;
  border-radius: 5px;
  padding: 2px 6px;
}
QPushButton:hover {
  background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #3a88bd, stop:1 #2a6f9e);
}
QPushButton:pressed {
  background: #184c70;
}
QPushButton:focus {
  border: 2px solid #f2b134;
}
QPushButton:disabled {
  background: #9fb3c4;
  border-color: #8aa0b3;
}
QTreeView {
  background: white;
  alternate-background-color: #f4f7fa;
  border: 1px solid #c6d0db;
  border-radius: 4px;
  selection-background-color: #cfe3f3;
  selection-color: #10283d;
}
QHeaderView::section {
  background: #e3eaf1;
  color: #1f3b57;
  border: none;
  border-bottom: 1px solid #c6d0db;
  padding: 3px 6px;
}
QLineEdit {
  background: white;
  border: 1px solid #9fb3c4;
  border-radius: 3px;
  padding: 1px 4px;
}
QLineEdit:disabled {
  background: #e7ecf1;
  color: #7b8a99;
}
QProgressBar {
  background: white;
  border: 1px solid #9fb3c4;
  border-radius: 5px;
  color: #10283d;
  text-align: center;
}
QProgressBar::chunk {
  background: #7fb6dc;
  border-radius: 4px;
}
