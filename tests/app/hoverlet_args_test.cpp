#include "../../hoverlet/HoverletArgs.h"

#include <gtest/gtest.h>

using hoverlet::ParseHoverletArgs;

TEST(HoverletArgs, MessageAndDisplayTimeFromTheCommandLine) {
  const struct {
    QStringList args;
    QString message;
    int displayTime;
  } cases[] = {
      // What the main program passes: the message as one argument, then the /T word.
      {{"자료가 저장되었습니다.", "/T500"}, "자료가 저장되었습니다.", 500},
      {{"검색된 결과가 없습니다.", "/T100"}, "검색된 결과가 없습니다.", 100},
      // A Windows command line split at the spaces, and the same in one piece.
      {{"자료가", "저장되었습니다.", "/T500"}, "자료가 저장되었습니다.", 500},
      {{"자료가 저장되었습니다. /T250"}, "자료가 저장되었습니다.", 250},
      {{"a", "/t7"}, "a", 7},
      // Missing or bad time: default, and a bad /T word is still not part of the message.
      {{"저장"}, "저장", 500},
      {{"저장", "/T"}, "저장", 500},
      {{"저장", "/Tabc"}, "저장", 500},
      {{"저장", "/T0"}, "저장", 500},
      {{"저장", "/T-5"}, "저장", 500},
      {{"저장", "/T+5"}, "저장", 500},
      {{"저장", "/T32768"}, "저장", 500},
      {{"저장", "/T32767"}, "저장", 32767},
      {{"저장", "/T1"}, "저장", 1},
      {{"저장", "/T99999999999"}, "저장", 500},
      // Only the last word counts as the time; an earlier one is text.
      {{"/T100", "저장"}, "/T100 저장", 500},
      {{"경로 C:/Temp", "/T300"}, "경로 C:/Temp", 300},
      {{"a/T5"}, "a/T5", 500},
      // Quotes, backslashes and inner spacing of one argument survive.
      {{"고객 \"홍길동\" 저장 \\ 완료", "/T500"}, "고객 \"홍길동\" 저장 \\ 완료", 500},
      {{"  앞뒤 공백  ", "/T500"}, "앞뒤 공백", 500},
      // Nothing to show.
      {{}, "", 500},
      {{"/T500"}, "", 500},
      {{"", "/T500"}, "", 500},
      {{"   ", "/T500"}, "", 500},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.join(QStringLiteral(" | ")).toStdString());
    const auto parsed = ParseHoverletArgs(c.args);
    EXPECT_EQ(parsed.message, c.message);
    EXPECT_EQ(parsed.displayTime, c.displayTime);
  }
}

TEST(HoverletArgs, UnitIsThreeMilliseconds) {
  EXPECT_EQ(ParseHoverletArgs({"x", "/T500"}).DisplayMs(), 1500);
  EXPECT_EQ(ParseHoverletArgs({"x", "/T32767"}).DisplayMs(), 98301);
}
