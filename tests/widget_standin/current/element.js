// A stand-in for the web translation widget's loader as the widget is served today, served
// by widget_standin.py in the mode "current".
//
// It offers google.translate.TranslateElement and then calls the page's callback (named in
// the loader address's "cb"). The element shows a small gadget in its container and puts
// the language menu frame (classes "VIpgJd-ZVi9od-xl07Ob-OEVmcd skiptranslate") at the end
// of the body. The frame's document holds, first, an entry for the page's own language
// marked as the current choice (class "VIpgJd-ZVi9od-vH1Gmf-ibnC6b
// VIpgJd-ZVi9od-vH1Gmf-ibnC6b-gk6SMd"; clicking it does nothing), then one entry (class
// "VIpgJd-ZVi9od-vH1Gmf-ibnC6b") per included language, each a link with the language code
// as its value and a span of class "text". Shortly after a click on a language's entry, the page's text is translated in
// place: each text is marked with the language code ("Hello" -> "[fr] Hello") inside two
// <font style="vertical-align: inherit;"> wrappers; the root element gets the class
// translated-ltr (translated-rtl for a right-to-left language); a skiptranslate div with the
// banner frame and the tooltip block (nested blocks, buttons, the voting form and its
// frame) are appended to the body; and three frames load.
(function () {
  'use strict';

  var script = document.currentScript;
  var origin = script ? new URL(script.src).origin : 'https://translate.google.com';
  var callbackName = '__CALLBACK__';

  var MENU_FRAME_STYLE =
      'visibility: visible; box-sizing: content-box; width: 135px; height: 69px; display: none;';
  var ENTRY_CLASS = 'VIpgJd-ZVi9od-vH1Gmf-ibnC6b';
  var SKIPPED_ELEMENTS = {SCRIPT: 1, STYLE: 1, NOSCRIPT: 1, IFRAME: 1, TEXTAREA: 1, TEMPLATE: 1};
  var RTL_CODES = {ar: 1, fa: 1, he: 1, iw: 1, ps: 1, sd: 1, ug: 1, ur: 1, yi: 1};

  function whenBodyReady(action) {
    if (document.readyState === 'loading') {
      document.addEventListener('DOMContentLoaded', action);
    } else {
      action();
    }
  }

  function isSkipped(element) {
    for (var e = element; e && e.nodeType === 1; e = e.parentNode) {
      if (SKIPPED_ELEMENTS[e.tagName]) return true;
      if (e.classList && (e.classList.contains('skiptranslate') ||
                          e.classList.contains('notranslate'))) {
        return true;
      }
      if (e.id === 'google_translate_element') return true;
    }
    return false;
  }

  // Wraps every text of the body that has letters, marked with the language code, in two
  // font elements.
  function translateTexts(code) {
    var walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
    var texts = [];
    for (var node = walker.nextNode(); node; node = walker.nextNode()) {
      if (node.nodeValue.trim() !== '' && !isSkipped(node.parentNode)) texts.push(node);
    }
    texts.forEach(function (text) {
      var value = text.nodeValue;
      var lead = value.match(/^\s*/)[0];
      var outer = document.createElement('font');
      outer.setAttribute('style', 'vertical-align: inherit;');
      var inner = document.createElement('font');
      inner.setAttribute('style', 'vertical-align: inherit;');
      inner.textContent = '[' + code + '] ' + value.substring(lead.length);
      outer.appendChild(inner);
      text.parentNode.insertBefore(document.createTextNode(lead), text);
      text.parentNode.replaceChild(outer, text);
    });
  }

  function frameAddress(name, code, part) {
    return origin + '/translate_a/' + name + '?tl=' + encodeURIComponent(code) +
        (part ? '&part=' + part : '');
  }

  function TranslateElement(options, container) {
    options = options || {};
    var codes = String(options.includedLanguages || '').split(',').filter(function (c) {
      return c !== '';
    });
    var self = this;
    whenBodyReady(function () { self.build(codes, container); });
  }

  TranslateElement.InlineLayout = {VERTICAL: 0, HORIZONTAL: 1, SIMPLE: 2};

  function addEntry(menu, list, classes, value, label, onClick) {
    var item = menu.createElement('a');
    item.setAttribute('class', classes);
    item.setAttribute('value', value);
    item.setAttribute('href', 'javascript:void(0)');
    var inner = menu.createElement('div');
    var text = menu.createElement('span');
    text.setAttribute('class', 'text');
    text.textContent = label;
    inner.appendChild(text);
    item.appendChild(inner);
    item.addEventListener('click', function (event) {
      event.preventDefault();
      onClick();
    });
    list.appendChild(item);
  }

  TranslateElement.prototype.build = function (codes, container) {
    var host = typeof container === 'string' ? document.getElementById(container) : container;
    if (host) {
      host.innerHTML = '<div class="skiptranslate goog-te-gadget" dir="ltr">' +
          '<div class="VIpgJd-ZVi9od-xl07Ob-lTBxed"><span>Select Language</span></div></div>';
    }

    var frame = document.createElement('iframe');
    frame.setAttribute('class', 'VIpgJd-ZVi9od-xl07Ob-OEVmcd skiptranslate');
    frame.setAttribute('title', 'Language Translate Widget');
    frame.setAttribute('style', MENU_FRAME_STYLE);
    document.body.appendChild(frame);

    var menu = frame.contentWindow.document;
    menu.open();
    menu.write('<!DOCTYPE html><html><head><title></title></head><body>' +
               '<div class="VIpgJd-ZVi9od-vH1Gmf" role="menu"></div></body></html>');
    menu.close();
    var list = menu.body.firstChild;
    addEntry(menu, list, ENTRY_CLASS + ' ' + ENTRY_CLASS + '-gk6SMd', 'auto', 'Original',
             function () {});
    codes.forEach(function (code) {
      // The work is done after the click has returned, as the real widget waits for the
      // translation service.
      addEntry(menu, list, ENTRY_CLASS, code, code, function () {
        setTimeout(function () { translate(code); }, 50);
      });
    });
  };

  function translate(code) {
    translateTexts(code);
    document.documentElement.classList.add(RTL_CODES[code] ? 'translated-rtl' : 'translated-ltr');
    var banner = document.createElement('div');
    banner.setAttribute('class', 'skiptranslate');
    banner.innerHTML =
        '<iframe id=":1.container" class="VIpgJd-ZVi9od-ORHb-OEVmcd skiptranslate" ' +
        'title="Google Translate" frameborder="0" src="' + frameAddress('banner.html', code) +
        '" style="visibility:visible"></iframe>';
    document.body.appendChild(banner);
    document.body.insertAdjacentHTML(
        'beforeend',
        '<div id="goog-gt-tt" class="VIpgJd-yAWNEb-L7lbkb skiptranslate" ' +
            'style="border-radius: 12px; margin: 0 0 0 -23px; padding: 0; font-family: ' +
            '\'Google Sans\', Arial, sans-serif;" data-id="">' +
            '<div id="goog-gt-vt" class="VIpgJd-yAWNEb-hvhgNd">' +
            '<div class=" VIpgJd-yAWNEb-hvhgNd-l4eHX-i3jM2d"><div class="logo"></div></div>' +
            '<div class=" VIpgJd-yAWNEb-hvhgNd-k77Iif-i3jM2d"><div ' +
            'class="VIpgJd-yAWNEb-hvhgNd-IuizWc" dir="ltr">Original text</div></div>' +
            '<div class="VIpgJd-yAWNEb-hvhgNd-axAV1"><div ' +
            'class="VIpgJd-yAWNEb-hvhgNd-N7Eqid ltr"><div ' +
            'class="VIpgJd-yAWNEb-hvhgNd-N7Eqid-B7I4Od ltr" dir="ltr"><div ' +
            'class="VIpgJd-yAWNEb-hvhgNd-UTujCb">Rate this translation</div></div>' +
            '<div class="VIpgJd-yAWNEb-hvhgNd-xgov5 ltr"><button ' +
            'class="VIpgJd-yAWNEb-hvhgNd-bgm6sf" title="Good translation"></button><button ' +
            'class="VIpgJd-yAWNEb-hvhgNd-bgm6sf" title="Poor translation"></button></div>' +
            '</div><div id="goog-gt-votingHiddenPane" class="VIpgJd-yAWNEb-hvhgNd-aXYTce">' +
            '<form id="goog-gt-votingForm" action="' + frameAddress('t', code, 1) +
            '" method="get" target="votingFrame" class="VIpgJd-yAWNEb-hvhgNd-aXYTce">' +
            '<input type="text" name="sl" id="goog-gt-votingInputSrcLang">' +
            '<input type="text" name="vote" id="goog-gt-votingInputVote"></form>' +
            '<iframe name="votingFrame" frameborder="0" src="' + frameAddress('t', code, 1) +
            '"></iframe></div></div></div>' +
            '<iframe class="skiptranslate" src="' + frameAddress('t', code, 2) +
            '" style="display: none;"></iframe></div>');
  }

  var google = window.google = window.google || {};
  google.translate = google.translate || {};
  google.translate.TranslateElement = TranslateElement;

  if (callbackName && typeof window[callbackName] === 'function') {
    window[callbackName]();
  }
})();
