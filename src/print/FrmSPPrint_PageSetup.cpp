#include "print/FrmSPPrint_PageSetup.h"

#include "grid/FormNames.h"
#include "platform/Prompt.h"
#include "print/FrmSPPrint_HeaderFooter.h"

#include <QComboBox>
#include <QDoubleValidator>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

FrmSPPrint_PageSetup::FrmSPPrint_PageSetup(print::Session& session, QWidget* parent)
    : QDialog(parent), m_session(session) {
  setObjectName(QStringLiteral("FrmSPPrint_PageSetup"));
  setWindowTitle(QStringLiteral("Setup"));
  const print::PageSetup& p = session.setup;

  auto* margins = new QGroupBox(QStringLiteral("여백 설정 (inch) - 페이지 맞춤시 적용안됨"), this);
  auto* form = new QFormLayout(margins);
  const char* labels[4] = {"위", "아래", "왼쪽", "오른쪽"};
  const double values[4] = {p.marginTop, p.marginBottom, p.marginLeft, p.marginRight};
  for (int i = 0; i < 4; ++i) {
    txtMargin[i] = new QLineEdit(print::MarginText(values[i]), margins);
    auto* v = new QDoubleValidator(0.0, 9.99, 2, txtMargin[i]);
    v->setNotation(QDoubleValidator::StandardNotation);
    v->setLocale(QLocale::c());
    txtMargin[i]->setValidator(v);
    form->addRow(QString::fromUtf8(labels[i]), txtMargin[i]);
  }

  auto* orient = new QGroupBox(QStringLiteral("출력 방향 - 페이지 맞춤시 적용안됨"), this);
  auto* orientRow = new QHBoxLayout(orient);
  optLandscape = new QRadioButton(QStringLiteral("가로"), orient);
  optPortrait = new QRadioButton(QStringLiteral("세로"), orient);
  orientRow->addWidget(optLandscape);
  orientRow->addWidget(optPortrait);
  (p.orientation == print::OrientLandscape ? optLandscape : optPortrait)->setChecked(true);

  auto* zoom = new QGroupBox(QStringLiteral("미리보기 확대 설정"), this);
  auto* zoomRow = new QHBoxLayout(zoom);
  zoomRow->addWidget(new QLabel(QStringLiteral("Zoom:"), zoom));
  cboZoom = new QComboBox(zoom);
  cboZoom->addItems(print::ZoomEntries());
  cboZoom->setCurrentIndex(p.zoom);
  zoomRow->addWidget(cboZoom, 1);

  cmdHeaderFooter = new QPushButton(QStringLiteral("머릿말/꼬릿말 변경"), this);
  cmdOK = new QPushButton(QStringLiteral("확인"), this);
  cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
  cmdOK->setDefault(true);
  connect(cmdHeaderFooter, &QPushButton::clicked, this, [this] {
    FrmSPPrint_HeaderFooter editor(m_session, this);
    ShowModal(editor);
  });
  connect(cmdOK, &QPushButton::clicked, this, [this] {
    Confirm();
    accept();
  });
  connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(cmdHeaderFooter);
  buttons->addStretch(1);
  buttons->addWidget(cmdOK);
  buttons->addWidget(cmdCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(margins);
  layout->addWidget(orient);
  layout->addWidget(zoom);
  layout->addLayout(buttons);
  NameFormControlsOnShow(*this);
}

void FrmSPPrint_PageSetup::Confirm() {
  print::PageSetup& p = m_session.setup;
  double* targets[4] = {&p.marginTop, &p.marginBottom, &p.marginLeft, &p.marginRight};
  for (int i = 0; i < 4; ++i) {
    bool ok = false;
    const double v = QLocale::c().toDouble(txtMargin[i]->text().trimmed(), &ok);
    if (ok && v >= 0) *targets[i] = v;
  }
  p.orientation = optLandscape->isChecked() ? print::OrientLandscape : print::OrientPortrait;
  p.zoom = cboZoom->currentIndex();
  print::StoreMargins(m_session);
  print::StoreOrientation(m_session);
  print::StoreZoom(m_session);
}
