#include "PreviewScripts.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>

namespace PreviewScripts {

QString hooks()
{
    return QStringLiteral(R"JS(
(function () {
  if (window.__pemoPreview) return;
  window.__pemoPreview = true;
  var bridge = null, queue = [];
  function send(name, args) {
    if (bridge) bridge[name].apply(bridge, args);
    else queue.push([name, args]);
  }
  function connect() {
    if (bridge || typeof qt === 'undefined' || !qt.webChannelTransport) return;
    new QWebChannel(qt.webChannelTransport, function (channel) {
      bridge = channel.objects.pemo;
      var waiting = queue;
      queue = [];
      waiting.forEach(function (m) { bridge[m[0]].apply(bridge, m[1]); });
    });
  }
  connect();
  document.addEventListener('DOMContentLoaded', connect);

  var XHTML = 'http://www.w3.org/1999/xhtml';
  function linkOf(node) {
    for (; node; node = node.parentNode) {
      if (node.nodeType === 1 && node.namespaceURI === XHTML &&
          (node.localName === 'a' || node.localName === 'area') && node.hasAttribute('href'))
        return node;
    }
    return null;
  }

  var covered = null;
  function cover(link) {
    var raw = link ? link.getAttribute('href') : '';
    if (raw === covered) return;
    covered = raw;
    send('hover', [raw, link ? link.href : '']);
  }
  window.addEventListener('mouseover', function (e) { cover(linkOf(e.target)); }, true);
  window.addEventListener('mouseout', function (e) { if (!e.relatedTarget) cover(null); }, true);

  // Bubbling on the window: the page's own handlers have had their say, and
  // a link whose handler cancelled the click is not followed. Clicks made by
  // the page's scripts are the page's business (reporting them would let a
  // page that clicks a link while loading rebuild itself for ever); only an
  // anchor of the page is kept in the page, since the page's <base> names
  // the current directory.
  window.addEventListener('click', function (e) {
    if (e.defaultPrevented || e.button !== 0) return;
    var link = linkOf(e.target);
    if (!link) return;
    var raw = link.getAttribute('href');
    if (!e.isTrusted) {
      if (raw.charAt(0) === '#') {
        e.preventDefault();
        location.hash = raw.substring(1);
      }
      return;
    }
    e.preventDefault();
    send('click', [raw, link.href]);
  }, false);

  function entries(form, submitter) {
    // The clicked button is part of the data, at its place among the fields.
    var extra = [];
    if (submitter && submitter.name && submitter.form === form) {
      var names = submitter.type === 'image' ? [submitter.name + '.x', submitter.name + '.y']
                                             : [submitter.name];
      names.forEach(function (n) {
        var input = document.createElement('input');
        input.type = 'hidden';
        input.name = n;
        input.value = submitter.type === 'image' ? '0' : submitter.value;
        extra.push(input);
      });
      var after = submitter;
      extra.forEach(function (input) { after.after(input); after = input; });
    }
    var out = [];
    try {
      new FormData(form).forEach(function (v, k) {
        out.push(k + '=' + (typeof v === 'string' ? v : v.name));
      });
    } finally {
      extra.forEach(function (input) { input.remove(); });
    }
    return out;
  }
  function report(form, submitter) {
    send('submit', [form.getAttribute('action') || '', form.getAttribute('target') || '',
                    form.enctype, form.getAttribute('method') || form.method,
                    entries(form, submitter)]);
  }
  window.addEventListener('submit', function (e) {
    var form = e.target;
    if (e.defaultPrevented || !form || form.localName !== 'form') return;
    e.preventDefault();
    report(form, e.submitter);
  }, false);
  window.addEventListener('pemo-scripted-submit', function (e) {
    if (e.target && e.target.localName === 'form') report(e.target, null);
  }, true);
})();
)JS");
}

QString scriptedSubmit()
{
    return QStringLiteral(R"JS(
(function () {
  HTMLFormElement.prototype.submit = function () {
    this.dispatchEvent(new CustomEvent('pemo-scripted-submit', { bubbles: true }));
  };
})();
)JS");
}

QString dialogGuard()
{
    // Five of the same is a loop: the preview answers repeats at once, so a
    // page that keeps asking would otherwise never give the engine back.
    return QStringLiteral(R"JS(
(function () {
  var counts = {};
  function guard(kind, original) {
    return function (message) {
      var key = kind + '\n' + String(message);
      counts[key] = (counts[key] || 0) + 1;
      if (counts[key] > 5)
        throw new Error('the same ' + kind + ' again and again: script stopped by the preview');
      return original.apply(window, arguments);
    };
  }
  window.alert = guard('alert', window.alert);
  window.confirm = guard('confirm', window.confirm);
  window.prompt = guard('prompt', window.prompt);
})();
)JS");
}

QString place(int y)
{
    return QStringLiteral(
               "(function () { var y = %1;"
               " var s = document.scrollingElement || document.documentElement;"
               " if (y >= 0 && s && y <= s.scrollHeight - window.innerHeight) window.scrollTo(window.scrollX, y);"
               " return Math.round(window.scrollY); })()")
        .arg(y);
}

namespace {
const char placeFreshBody[] =
    " var s = document.scrollingElement || document.documentElement;"
    " var most = s ? Math.max(0, s.scrollHeight - window.innerHeight) : 0;"
    " if (y !== null) window.scrollTo(0, y >= 0 && y <= most ? y : 0);"
    " var loading = 0;"
    " for (var i = 0; i < document.images.length; ++i) if (!document.images[i].complete) ++loading;"
    " return [Math.round(window.scrollY), most, loading];";
} // namespace

QString placeFresh(int y)
{
    return QStringLiteral("(function (y) {") + QLatin1String(placeFreshBody) + QStringLiteral(" })(%1)").arg(y);
}

QString report()
{
    return QStringLiteral("(function (y) {") + QLatin1String(placeFreshBody) + QStringLiteral(" })(null)");
}

QString replaceBody(const QString &body, int y)
{
    // The text is parsed as the body's content, away from the page; then
    // only the nodes that differ from what the page holds are exchanged, so
    // that the engine lays out again only what changed. Elements whose state
    // the user may have changed (fields, players, moving text) are always
    // taken new, as a fresh load would show them.
    const QString quoted = QString::fromUtf8(QJsonDocument(QJsonArray{body}).toJson(QJsonDocument::Compact));
    return QStringLiteral(R"JS((function (text, y) {
  var body = document.body;
  if (!body) return null;
  var live = 'input,select,textarea,button,details,dialog,marquee,video,audio,canvas';
  function alive(n) { return n.nodeType === 1 && (n.matches(live) || n.querySelector(live) !== null); }
  function same(a, b) { return a.isEqualNode(b) && !alive(a); }
  function sameShell(a, b) {
    return a.nodeType === 1 && b.nodeType === 1 && !a.matches(live) && a.cloneNode(false).isEqualNode(b.cloneNode(false));
  }
  function merge(into, from) {
    var o = into.childNodes, n = from.childNodes;
    var start = 0, oldEnd = o.length, newEnd = n.length;
    while (start < oldEnd && start < newEnd && same(o[start], n[start])) ++start;
    while (oldEnd > start && newEnd > start && same(o[oldEnd - 1], n[newEnd - 1])) { --oldEnd; --newEnd; }
    if (oldEnd - start === 1 && newEnd - start === 1 && sameShell(o[start], n[start])) {
      merge(o[start], n[start]);
      return;
    }
    var before = oldEnd < o.length ? o[oldEnd] : null;
    for (var i = oldEnd - 1; i >= start; --i) into.removeChild(o[i]);
    var incoming = [];
    for (var j = start; j < newEnd; ++j) incoming.push(n[j]);
    for (var k = 0; k < incoming.length; ++k) into.insertBefore(incoming[k], before);
  }
  var parsed = body.cloneNode(false);
  parsed.innerHTML = text[0];
  merge(body, parsed);
)JS") + QLatin1String(placeFreshBody)
        + QStringLiteral(" })(") + quoted + QStringLiteral(", %1)").arg(y);
}

QString scrollToAnchor(const QString &name)
{
    // The name travels as a JSON string, so quotes in it cannot end the script.
    const QString quoted = QString::fromUtf8(QJsonDocument(QJsonArray{name}).toJson(QJsonDocument::Compact));
    return QStringLiteral(
               "(function () { var n = %1[0], el = null;"
               " try { n = decodeURIComponent(n); } catch (e) {}"
               " if (n === '') window.scrollTo(0, 0);"
               " else {"
               "  el = document.getElementById(n);"
               "  if (!el) { var named = document.getElementsByName(n);"
               "   for (var i = 0; i < named.length && !el; ++i) if (named[i].localName === 'a') el = named[i]; }"
               "  if (el) el.scrollIntoView();"
               " }"
               " return Math.round(window.scrollY); })()")
        .arg(quoted);
}

} // namespace PreviewScripts
