#include "ServicePages.h"

#include <QUrl>

#include "base/UrlCodec.h"

namespace vireo::service {
namespace {

QByteArray Html(const QString& text) {
  return text.toHtmlEscaped().toUtf8();
}

// Fields of a link payload are separated by '|', so a '|' in a name becomes a blank.
QString Field(QString text) {
  return text.replace(u'|', u' ').trimmed();
}

constexpr const char* kXmlHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

}  // namespace

QByteArray ServicePages::MusicPath(const QString& relPath) {
  QByteArray out = "/music";
  for (const QString& segment : relPath.split(u'/')) out += '/' + QUrl::toPercentEncoding(segment);
  return out;
}

QByteArray ServicePages::TrackLink(const QByteArray& baseUrl, const Track& t) {
  const QString payload = QString::fromUtf8(baseUrl + MusicPath(t.relPath)) + u'|' +
                          Field(t.title) + u'|' + Field(t.artist);
  return "vireo://" + URLEncode(payload.toUtf8()).toBase64() + '|' + t.id.toLatin1();
}

QByteArray ServicePages::SearchLink(const QString& keyword) {
  return "vireo://" + URLEncode(keyword.trimmed().toUtf8()).toBase64() + "SH";
}

QString ServicePages::SizeText(qint64 bytes) {
  if (bytes < 1024 * 1024) return QStringLiteral("%1 KB").arg(double(bytes) / 1024.0, 0, 'f', 1);
  return QStringLiteral("%1 MB").arg(double(bytes) / (1024.0 * 1024.0), 0, 'f', 1);
}

QByteArray ServicePages::IndexPage(const QByteArray& baseUrl, const QList<Track>& tracks,
                                   const QString& query, int page, int total) {
  QByteArray h;
  h += "<!DOCTYPE html>\n<html lang=\"zh-CN\"><head><meta charset=\"utf-8\">\n"
       "<title>维雀 - 分享平台</title>\n<style>\n"
       "body{font:13px sans-serif;margin:0;background:#f4f6f8;color:#222}\n"
       "header{background:#2b5d8a;color:#fff;padding:10px 14px}\n"
       "header h1{font-size:16px;margin:0 0 8px 0}\n"
       "form input[type=text]{width:260px;padding:3px}\n"
       "table{border-collapse:collapse;width:100%}\n"
       "td,th{padding:4px 8px;border-bottom:1px solid #dde;text-align:left}\n"
       "tr:hover{background:#e8eef5}\n a{color:#2b5d8a;text-decoration:none}\n"
       ".nav{padding:8px 14px}\n .empty{padding:20px 14px;color:#777}\n"
       "</style>\n<script>\n"
       // In the player, the form turns into a search link; elsewhere it filters this page.
       "function vireoSearch(f){var k=f.q.value.trim();"
       "if(!k||navigator.userAgent.indexOf('vireoMinWeb')<0)return true;"
       "var e='';for(const x of new TextEncoder().encode(k)){var c=String.fromCharCode(x);"
       "e+=/[A-Za-z0-9]/.test(c)?c:'%'+(x<16?'0':'')+x.toString(16).toUpperCase();}"
       "location.href='vireo://'+btoa(e)+'SH';return false;}\n"
       "</script></head><body>\n<header><h1>维雀 - 分享平台</h1>\n"
       "<form action=\"/index_sh.asp\" method=\"get\" onsubmit=\"return vireoSearch(this)\">"
       "<input type=\"text\" name=\"q\" value=\"" +
       Html(query) +
       "\" placeholder=\"输入歌曲名 歌手\"> <input type=\"submit\" value=\"搜索\"></form>\n"
       "</header>\n";
  if (!query.trimmed().isEmpty())
    h += "<div class=\"nav\"><a href=\"" + Html(QString::fromLatin1(SearchLink(query))) +
         "\">在播放器中搜索“" + Html(query.trimmed()) + "”</a></div>\n";
  if (tracks.isEmpty()) {
    h += "<div class=\"empty\">没有找到歌曲。</div>\n";
  } else {
    h += "<table>\n<tr><th>歌曲名</th><th>歌手</th><th>专辑</th><th>大小</th><th>播放</th>"
         "<th>添加</th></tr>\n";
    for (const Track& t : tracks) {
      const QString link = QString::fromLatin1(TrackLink(baseUrl, t));
      h += "<tr><td>" + Html(t.title) + "</td><td>" + Html(t.artist) + "</td><td>" + Html(t.album) +
           "</td><td>" + Html(SizeText(t.size)) + "</td><td><a href=\"" +
           Html(link + QStringLiteral("PL")) + "\">播放</a></td><td><a href=\"" +
           Html(link + QStringLiteral("AL")) + "\">添加</a></td></tr>\n";
    }
    h += "</table>\n";
  }
  const int pages = (total + kPageSize - 1) / kPageSize;
  if (pages > 1) {
    const QByteArray q =
        query.isEmpty() ? QByteArray() : "q=" + QUrl::toPercentEncoding(query) + '&';
    h += "<div class=\"nav\">";
    if (page > 0)
      h += "<a href=\"/index_sh.asp?" + q + "page=" + QByteArray::number(page - 1) +
           "\">上一页</a> ";
    h += QByteArray::number(page + 1) + " / " + QByteArray::number(pages);
    if (page + 1 < pages)
      h += " <a href=\"/index_sh.asp?" + q + "page=" + QByteArray::number(page + 1) +
           "\">下一页</a>";
    h += "</div>\n";
  }
  h += "</body></html>\n";
  return h;
}

QByteArray ServicePages::RandomList(const QByteArray& baseUrl, const QList<Track>& tracks) {
  QByteArray x = kXmlHead;
  x += "<petrel>\n";
  for (const Track& t : tracks)
    x += "  <rlist url=\"" + Html(QString::fromLatin1(TrackLink(baseUrl, t))) + "\" title=\"" +
         Html(t.title) + "\" singer=\"" + Html(t.artist) + "\"/>\n";
  x += "</petrel>\n";
  return x;
}

QByteArray ServicePages::SearchAnswer(const QList<Track>& page, int total) {
  QByteArray x = kXmlHead;
  x += "<petrel total=\"" + QByteArray::number(total) + "\">\n";
  for (const Track& t : page)
    x += "  <song key=\"" + Html(t.id) + "\" title=\"" + Html(t.title) + "\" singer=\"" +
         Html(t.artist) + "\" album=\"" + Html(t.album) + "\" size=\"" + Html(SizeText(t.size)) +
         "\" speed=\"" + QByteArray::number(t.kbps) + "\" extra=\"0\"/>\n";
  x += "</petrel>\n";
  return x;
}

}  // namespace vireo::service
