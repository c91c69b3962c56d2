// A stand-in for the web translation widget's loader, served by widget_standin.py.
//
// It offers google.translate.TranslateElement and then calls the page's callback (named
// in the loader address's "cb"). The element shows a small gadget in its container and
// puts the language menu frame (class "goog-te-menu-frame skiptranslate") at the end of
// the body; the frame's document holds one entry (class "goog-te-menu2-item", with a span
// of class "text") per included language. Shortly after a click on an entry, the page's
// text is translated in place by marking each text with the language code ("Hello" ->
// "[fr] Hello"), the banner frame is put at the top of the body and the tooltip block
// before the menu frame, in the forms the real widget leaves in a page, and three frames
// load.
(function () {
  'use strict';

  var script = document.currentScript;
  var origin = script ? new URL(script.src).origin : 'https://translate.google.com';
  var callbackName = '__CALLBACK__';

  var MENU_FRAME_STYLE =
      'visibility: visible; box-sizing: content-box; width: 135px; height: 69px; display: none;';
  var SKIPPED_ELEMENTS = {SCRIPT: 1, STYLE: 1, NOSCRIPT: 1, IFRAME: 1, TEXTAREA: 1, TEMPLATE: 1};

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
      if (e.classList && e.classList.contains('skiptranslate')) return true;
      if (e.id === 'google_translate_element') return true;
    }
    return false;
  }

  // Marks every text of the body that has letters with the language code.
  function translateTexts(code) {
    var walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
    var texts = [];
    for (var node = walker.nextNode(); node; node = walker.nextNode()) {
      if (node.nodeValue.trim() !== '' && !isSkipped(node.parentNode)) texts.push(node);
    }
    texts.forEach(function (text) {
      var value = text.nodeValue;
      var lead = value.match(/^\s*/)[0];
      text.nodeValue = lead + '[' + code + '] ' + value.substring(lead.length);
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

  TranslateElement.prototype.build = function (codes, container) {
    var host = typeof container === 'string' ? document.getElementById(container) : container;
    if (host) {
      host.innerHTML = '<div class="skiptranslate goog-te-gadget-simple">' +
          '<span class="goog-te-menu-value"><span>Select Language</span></span></div>';
    }

    var frame = document.createElement('iframe');
    frame.setAttribute('class', 'goog-te-menu-frame skiptranslate');
    frame.setAttribute('title', 'Language Translate Widget');
    frame.setAttribute('style', MENU_FRAME_STYLE);
    document.body.appendChild(frame);

    var menu = frame.contentWindow.document;
    menu.open();
    menu.write('<!DOCTYPE html><html><head><title></title></head><body>' +
               '<div class="goog-te-menu2"></div></body></html>');
    menu.close();
    var list = menu.body.firstChild;
    codes.forEach(function (code) {
      var item = menu.createElement('a');
      item.setAttribute('class', 'goog-te-menu2-item');
      var inner = menu.createElement('div');
      var text = menu.createElement('span');
      text.setAttribute('class', 'text');
      text.textContent = code;
      inner.appendChild(text);
      item.appendChild(inner);
      item.addEventListener('click', function (event) {
        event.preventDefault();
        // Like the real widget, the work is done after the click has returned (the real
        // one waits for the translation service): a script that clicked the entry while
        // walking the live list of the page's elements is not thrown off by new ones.
        setTimeout(function () { translate(frame, code); }, 50);
      });
      list.appendChild(item);
    });
  };

  function translate(menuFrame, code) {
    translateTexts(code);
    document.body.insertAdjacentHTML(
        'afterbegin',
        '<iframe id=":2.container" class="goog-te-banner-frame skiptranslate" frameborder="0" ' +
            'src="' + frameAddress('banner.html', code) + '" style="visibility:visible"></iframe>');
    menuFrame.insertAdjacentHTML(
        'beforebegin',
        '<div id="goog-gt-tt" class="skiptranslate" dir="ltr"><div style="padding: 8px;">' +
            '<div class="logo"></div></div>' +
            '<div class="top" style="padding: 8px; float: left; width: 100%;">' +
            '<h1 class="title gray">Original text</h1></div>' +
            '<div class="middle" style="padding: 8px;"><div class="original-text"></div></div>' +
            '<iframe class="skiptranslate" src="' + frameAddress('t', code, 1) +
            '" style="display: none;"></iframe>' +
            '<iframe class="skiptranslate" src="' + frameAddress('t', code, 2) +
            '" style="display: none;"></iframe></div>');
    menuFrame.setAttribute('style', MENU_FRAME_STYLE);
  }

  var google = window.google = window.google || {};
  google.translate = google.translate || {};
  google.translate.TranslateElement = TranslateElement;

  if (callbackName && typeof window[callbackName] === 'function') {
    window[callbackName]();
  }
})();
