// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2026 The Kestrova developers
#include "findBar.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

TFindBar::TFindBar(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("FindBar"));
  setAutoFillBackground(true);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(4, 2, 4, 2);
  layout->setSpacing(4);

  auto* label = new QLabel(QStringLiteral("查找："), this);
  text_ = new QLineEdit(this);
  text_->setObjectName(QStringLiteral("FindText"));
  label->setBuddy(text_);
  auto* previous = new QToolButton(this);
  previous->setObjectName(QStringLiteral("FindPrevious"));
  previous->setText(QStringLiteral("上一个"));
  previous->setToolTip(QStringLiteral("查找上一个 (Shift+F3)"));
  auto* next = new QToolButton(this);
  next->setObjectName(QStringLiteral("FindNext"));
  next->setText(QStringLiteral("下一个"));
  next->setToolTip(QStringLiteral("查找下一个 (F3)"));
  caseSensitive_ = new QCheckBox(QStringLiteral("区分大小写"), this);
  caseSensitive_->setObjectName(QStringLiteral("FindCaseSensitive"));
  note_ = new QLabel(this);
  note_->setObjectName(QStringLiteral("FindNote"));
  auto* close = new QToolButton(this);
  close->setObjectName(QStringLiteral("FindClose"));
  close->setText(QStringLiteral("关闭"));
  close->setToolTip(QStringLiteral("关闭查找栏 (Esc)"));

  layout->addWidget(label);
  layout->addWidget(text_, 1);
  layout->addWidget(previous);
  layout->addWidget(next);
  layout->addWidget(caseSensitive_);
  layout->addWidget(note_, 1);
  layout->addWidget(close);

  text_->installEventFilter(this);
  connect(text_, &QLineEdit::textEdited, this, &TFindBar::TextEdited);
  connect(caseSensitive_, &QCheckBox::toggled, this, &TFindBar::TextEdited);
  connect(previous, &QToolButton::clicked, this, [this] { Q_EMIT FindRequested(false); });
  connect(next, &QToolButton::clicked, this, [this] { Q_EMIT FindRequested(true); });
  connect(close, &QToolButton::clicked, this, &TFindBar::Close);
  hide();
}

QString TFindBar::Text() const { return text_->text(); }

bool TFindBar::CaseSensitive() const { return caseSensitive_->isChecked(); }

void TFindBar::Open() {
  show();
  text_->setFocus(Qt::ShortcutFocusReason);
  text_->selectAll();
}

void TFindBar::SetNote(const QString& note) { note_->setText(note); }

QString TFindBar::Note() const { return note_->text(); }

void TFindBar::Close() {
  hide();
  SetNote({});
  Q_EMIT Closed();
}

// Keys the text field would otherwise keep or let go unused; they also work on the bar's buttons.
bool TFindBar::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool shift = key->modifiers() & Qt::ShiftModifier;
    switch (key->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter:
      case Qt::Key_F3:
        Q_EMIT FindRequested(!shift);
        return true;
      case Qt::Key_Escape:
        Close();
        return true;
      default:
        if (key->matches(QKeySequence::Find)) {
          text_->selectAll();
          return true;
        }
        break;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TFindBar::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    Close();
  } else if (event->key() == Qt::Key_F3) {
    Q_EMIT FindRequested(!(event->modifiers() & Qt::ShiftModifier));
  } else {
    QWidget::keyPressEvent(event);
  }
}
