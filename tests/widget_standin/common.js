// What the widget stand-in's modes share, served by widget_standin.py in front of the
// mode's element.js, the two inside one function: the loader's address, the page's
// callback, the pace, the texts a translation changes and the batches they change in, the
// gadget and the menu frame, and the offer of google.translate.TranslateElement.

var script = document.currentScript;
var origin = script ? new URL(script.src).origin : 'https://translate.google.com';
var callbackName = '__CALLBACK__';
// The pace that the server was given (see widget_standin.py): menu_delay_ms, batches,
// batch_gap_ms, frames_delay_ms, ignored_clicks.
var PACE = __PACE__;

var MENU_FRAME_STYLE =
    'visibility: visible; box-sizing: content-box; width: 135px; height: 69px; display: none;';
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

// The texts of the body that have letters and lie outside the widget's own elements, in
// document order.
function textsToTranslate() {
  var walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
  var texts = [];
  for (var node = walker.nextNode(); node; node = walker.nextNode()) {
    if (node.nodeValue.trim() !== '' && !isSkipped(node.parentNode)) texts.push(node);
  }
  return texts;
}

// Calls mark(text, lead, rest) for text: lead is its leading white space, rest what follows
// it. A text that has left the page or lost its letters since it was gathered is passed over.
function markText(text, mark) {
  if (!text.parentNode || text.nodeValue.trim() === '') return;
  var value = text.nodeValue;
  var lead = value.match(/^\s*/)[0];
  mark(text, lead, value.substring(lead.length));
}

// Runs action once the menu is due: PACE.menu_delay_ms from now, at once without a delay.
function whenMenuDue(action) {
  if (PACE.menu_delay_ms > 0) {
    setTimeout(action, PACE.menu_delay_ms);
  } else {
    action();
  }
}

var clicksIgnored = 0;

// What a click on a language entry sets off. The first PACE.ignored_clicks clicks do
// nothing. Otherwise, like the real widget, the work is done after the click has returned
// (the real one waits for the translation service; a script that clicked the entry while
// walking the live list of the page's elements is not thrown off by new ones): each share
// of the text is one round trip to the service, PACE.batch_gap_ms (50 ms at the least):
// that long after the click the texts are gathered and the first of PACE.batches shares of
// them is passed to mark (see markText), then markTranslated runs; every PACE.batch_gap_ms
// after it the next share follows. addFrames runs PACE.frames_delay_ms after the click, or with the
// first batch when that is 0.
function translateAfterClick(mark, markTranslated, addFrames) {
  if (clicksIgnored < PACE.ignored_clicks) {
    clicksIgnored++;
    return;
  }
  var lateFrames = PACE.frames_delay_ms > 0;
  if (lateFrames) setTimeout(addFrames, PACE.frames_delay_ms);
  setTimeout(function () {
    var texts = textsToTranslate();
    var batches = Math.max(1, PACE.batches);
    // Batch k takes the texts from ceil(k * n / batches) on: the earlier batches take one
    // more when the texts do not divide evenly, so the first one has a text when any does.
    var runBatch = function (k) {
      var end = Math.ceil((k + 1) * texts.length / batches);
      for (var i = Math.ceil(k * texts.length / batches); i < end; i++) {
        markText(texts[i], mark);
      }
      if (k === 0) {
        markTranslated();
        if (!lateFrames) addFrames();
      }
      if (k + 1 < batches) {
        setTimeout(function () { runBatch(k + 1); }, PACE.batch_gap_ms);
      }
    };
    runBatch(0);
  }, Math.max(50, PACE.batch_gap_ms));
}

// Marks the root element as translated into code, as the widget does.
function markRootTranslated(code) {
  document.documentElement.classList.add(RTL_CODES[code] ? 'translated-rtl' : 'translated-ltr');
}

function frameAddress(name, code, part) {
  return origin + '/translate_a/' + name + '?tl=' + encodeURIComponent(code) +
      (part ? '&part=' + part : '');
}

// A hidden frame of the tooltip that loads the given part of the t page.
function hiddenFrame(code, part) {
  return '<iframe class="skiptranslate" src="' + frameAddress('t', code, part) +
      '" style="display: none;"></iframe>';
}

// The language codes of the element's includedLanguages option.
function includedCodes(options) {
  return String((options || {}).includedLanguages || '').split(',').filter(function (c) {
    return c !== '';
  });
}

// Puts gadgetMarkup into the element's container (an element or its id), where there is one.
function showGadget(container, gadgetMarkup) {
  var host = typeof container === 'string' ? document.getElementById(container) : container;
  if (host) {
    host.innerHTML = gadgetMarkup;
  }
}

// Appends the language menu frame to the body, its document holding listMarkup alone;
// returns the frame, its document and the list (the first element of its body).
function addMenuFrame(frameClass, frameStyle, listMarkup) {
  var frame = document.createElement('iframe');
  frame.setAttribute('class', frameClass);
  frame.setAttribute('title', 'Language Translate Widget');
  frame.setAttribute('style', frameStyle);
  document.body.appendChild(frame);
  var menu = frame.contentWindow.document;
  menu.open();
  menu.write('<!DOCTYPE html><html><head><title></title></head><body>' + listMarkup +
             '</body></html>');
  menu.close();
  return {frame: frame, menu: menu, list: menu.body.firstChild};
}

// Appends to the menu's list an entry: a link with the given attributes (set in their order)
// around a div with a span of class "text" holding label. A click on it runs onClick.
function addMenuEntry(parts, attributes, label, onClick) {
  var item = parts.menu.createElement('a');
  Object.keys(attributes).forEach(function (name) {
    item.setAttribute(name, attributes[name]);
  });
  var inner = parts.menu.createElement('div');
  var text = parts.menu.createElement('span');
  text.setAttribute('class', 'text');
  text.textContent = label;
  inner.appendChild(text);
  item.appendChild(inner);
  item.addEventListener('click', function (event) {
    event.preventDefault();
    onClick();
  });
  parts.list.appendChild(item);
}

// Offers TranslateElement as google.translate.TranslateElement and calls the page's callback.
function offerTranslateElement(TranslateElement) {
  TranslateElement.InlineLayout = {VERTICAL: 0, HORIZONTAL: 1, SIMPLE: 2};
  var google = window.google = window.google || {};
  google.translate = google.translate || {};
  google.translate.TranslateElement = TranslateElement;
  if (callbackName && typeof window[callbackName] === 'function') {
    window[callbackName]();
  }
}
