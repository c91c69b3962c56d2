// A stand-in for a web translation widget that loads but never translates, served by
// widget_standin.py in the mode "untranslating": it offers google.translate.TranslateElement
// and calls the page's callback; the element shows its gadget and puts the current widget's
// menu frame (classes "VIpgJd-ZVi9od-xl07Ob-OEVmcd skiptranslate") at the end of the body,
// but the menu holds no entry, so a script finds nothing to click and the page stays as it
// was loaded.
(function () {
  'use strict';

  var callbackName = '__CALLBACK__';

  function TranslateElement(options, container) {
    function build() {
      var host = typeof container === 'string' ? document.getElementById(container) : container;
      if (host) {
        host.innerHTML = '<div class="skiptranslate goog-te-gadget" dir="ltr">' +
            '<div class="VIpgJd-ZVi9od-xl07Ob-lTBxed"><span>Select Language</span></div></div>';
      }
      var frame = document.createElement('iframe');
      frame.setAttribute('class', 'VIpgJd-ZVi9od-xl07Ob-OEVmcd skiptranslate');
      frame.setAttribute('title', 'Language Translate Widget');
      frame.setAttribute('style', 'display: none;');
      document.body.appendChild(frame);
      var menu = frame.contentWindow.document;
      menu.open();
      menu.write('<!DOCTYPE html><html><head><title></title></head><body>' +
                 '<div class="VIpgJd-ZVi9od-vH1Gmf" role="menu"></div></body></html>');
      menu.close();
    }
    if (document.readyState === 'loading') {
      document.addEventListener('DOMContentLoaded', build);
    } else {
      build();
    }
  }

  TranslateElement.InlineLayout = {VERTICAL: 0, HORIZONTAL: 1, SIMPLE: 2};

  var google = window.google = window.google || {};
  google.translate = google.translate || {};
  google.translate.TranslateElement = TranslateElement;

  if (callbackName && typeof window[callbackName] === 'function') {
    window[callbackName]();
  }
})();
