#include <gtest/gtest.h>

#include "base/Gb18030.h"
#include "base/UrlCodec.h"

using namespace vireo;

TEST(URLEncode, LettersAndDigitsStayEverythingElseIsHex) {
  EXPECT_EQ(URLEncode("a b"), QByteArray("a%20b"));
  EXPECT_EQ(URLEncode("\xB8\xE8"), QByteArray("%B8%E8"));
  EXPECT_EQ(URLEncodeText(QStringLiteral("歌")), QByteArray("%B8%E8"));
  EXPECT_EQ(URLEncode("-_.~"), QByteArray("%2D%5F%2E%7E"));
  EXPECT_EQ(URLEncode("+&="), QByteArray("%2B%26%3D"));
  EXPECT_EQ(URLEncode(QByteArray("\0z", 2)), QByteArray("%00z"));
  EXPECT_EQ(URLEncode("AZaz09"), QByteArray("AZaz09"));
}

TEST(URLDecode, PlusPercentAndTheAmpersandStop) {
  EXPECT_EQ(URLDecode("a+b%41&c"), QByteArray("a bA"));
  EXPECT_EQ(URLDecode("%4G"), QByteArray("\x04"));
  EXPECT_EQ(URLDecode("%4Gx"), QByteArray("\x04x"));
  EXPECT_EQ(URLDecode("% Ax"), QByteArray("\x0A"
                                          "x"));  // a leading blank inside the two is skipped
  EXPECT_EQ(URLDecode("%zz9"), QByteArray(QByteArray(1, '\0') + "9"));
  EXPECT_EQ(URLDecode("%b8%E8"), QByteArray("\xB8\xE8"));
  EXPECT_EQ(URLDecode("ab%4"), QByteArray("ab\x04"));  // cut short at the end
  EXPECT_EQ(URLDecode("ab%"), QByteArray(QByteArray("ab") + '\0'));
  EXPECT_EQ(URLDecode("&rest"), QByteArray());
}

TEST(URLCodec, DecodeUndoesEncodeForAnyBytes) {
  QByteArray all;
  for (int i = 0; i < 256; ++i) all.append(static_cast<char>(i));
  EXPECT_EQ(URLDecode(URLEncode(all)), all);
}

TEST(SplitUrl, SchemeHostAndPath) {
  HostPath hp = SplitUrl("HTTP://h/p/q.asp");
  EXPECT_EQ(hp.host, QByteArray("h"));
  EXPECT_EQ(hp.path, QByteArray("p/q.asp"));
  hp = SplitUrl("h");
  EXPECT_EQ(hp.host, QByteArray());
  EXPECT_EQ(hp.path, QByteArray("h"));
  hp = SplitUrl("http://127.0.0.1:8080/mpost/x.asp?a=1");
  EXPECT_EQ(hp.host, QByteArray("127.0.0.1:8080"));
  EXPECT_EQ(hp.path, QByteArray("mpost/x.asp?a=1"));
  hp = SplitUrl("host/");
  EXPECT_EQ(hp.host, QByteArray("host"));
  EXPECT_EQ(hp.path, QByteArray());
}

TEST(TextField, FieldsByPosition) {
  EXPECT_EQ(TextField("a|b|c", 2, '|'), QByteArray("b"));
  EXPECT_EQ(TextField("a|b|c", 1, '|'), QByteArray("a"));
  EXPECT_EQ(TextField("a|b|c", 3, '|'), QByteArray("c"));
  EXPECT_EQ(TextField("a|b|c", 4, '|'), QByteArray());
  EXPECT_EQ(TextField("a||c", 2, '|'), QByteArray());
  EXPECT_EQ(TextField("abc", 1, '|'), QByteArray("abc"));
  EXPECT_EQ(TextField("", 1, '|'), QByteArray());
  EXPECT_EQ(TextField("a|b", 0, '|'), QByteArray());
  EXPECT_EQ(TextField("a|b|", 3, '|'), QByteArray());
}
