#include "customers/SenderNoRule.h"

#include "platform/Prompt.h"

#include <QStringList>

QString SenderNoRuleText() {
  static const QStringList lines = {
      QStringLiteral("1. 공백 사용 불가"),
      QStringLiteral("2. 전체 자리수는 8~11자리만 허용"),
      QStringLiteral(" 단 ,아래의 조건에 해당되는 경우 예외"),
      QStringLiteral("  - 030, 050번호의 경우 12자리까지 허용"),
      QStringLiteral(
          "  - 전국대표번호(15YY, 16YY, 18YY등)는 8자리만 허용(지역번호 및 내선번호 포함 불가)"),
      QStringLiteral(
          "  - 특수번호(112, 1335등)인 경우 해당 사용자(국가, 공공기관등)에 한하여 허용"),
      QStringLiteral("3. 유선전화번호: 지역번호를 반드시 포함할 것"),
      QStringLiteral("4. 공통서비스 특별번호(ONO 계열): 번호 앞에 지역번호 사용금지"),
  };
  return QStringLiteral("<발신 전화번호 세칙 검사>\r\n\r\n") + lines.join(QStringLiteral("\r\n"));
}

QString SenderNoViolation(const QString& s) {
  if (s.isEmpty() || s != s.trimmed()) return QStringLiteral("---> 1번 세칙 위배");
  const qsizetype n = s.size();

  enum class Kind { None, Mobile, Shared, National } kind = Kind::None;
  QString area;
  if (s.startsWith(QLatin1String("01"))) {
    kind = Kind::Mobile;
  } else if (s.startsWith(QLatin1String("02"))) {
    area = QStringLiteral("02");
  } else if (s.startsWith(u'0')) {
    if (s.startsWith(QLatin1String("030")) || s.startsWith(QLatin1String("050")))
      kind = Kind::Shared;
    else
      area = s.left(3);
  }
  const QString rest = s.mid(area.size());
  const auto national = [](const QString& t) {
    return t.startsWith(QLatin1String("15")) || t.startsWith(QLatin1String("16")) ||
           t.startsWith(QLatin1String("18"));
  };

  if (s.startsWith(QLatin1String("030")) || s.startsWith(QLatin1String("050"))) {
    if (n < 8 || n > 12) return QStringLiteral("---> 2번 세칙 위배(030, 050 자리수가 아님)");
  } else if (national(s)) {
    if (n != 8) return QStringLiteral("---> 2번 세칙 위배(전국대표번호 8자리 아님)");
    kind = Kind::National;
  } else if (!area.isEmpty() && national(rest)) {
    if (n != 8) return QStringLiteral("---> 2번 세칙 위배(전국대표번호 앞에 지역번호 있음)");
  } else if (n < 8 || n > 11) {
    return QStringLiteral("---> 2번 세칙 위배(8~11자리가 아님)");
  }

  if (area.isEmpty() && kind == Kind::None) return QStringLiteral("---> 3번 세칙 위배");
  return QString();
}

bool CheckSenderNoRule(const QString& number) {
  const QString violation = SenderNoViolation(number);
  if (violation.isEmpty()) return true;
  MsgInfo(SenderNoRuleText() + QStringLiteral("\r\n\r\n") + violation);
  return false;
}
