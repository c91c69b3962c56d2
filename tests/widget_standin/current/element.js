// The mode "current": the widget as it is served today.
//
// The element shows a small gadget in its container and puts the language menu frame
// (classes "VIpgJd-ZVi9od-xl07Ob-OEVmcd skiptranslate") at the end of the body. The frame's
// document holds, first, an entry for the page's own language marked as the current choice
// (class "VIpgJd-ZVi9od-vH1Gmf-ibnC6b VIpgJd-ZVi9od-vH1Gmf-ibnC6b-gk6SMd"; clicking it does
// nothing), then one entry (class "VIpgJd-ZVi9od-vH1Gmf-ibnC6b") per included language, each
// a link with the language code as its value and a span of class "text". Shortly after a
// click on a language's entry, the page's text is translated in place: each text is marked
// with the language code ("Hello" -> "[fr] Hello") inside two
// <font style="vertical-align: inherit;"> wrappers; the root element gets the class
// translated-ltr (translated-rtl for a right-to-left language); a skiptranslate div with the
// banner frame and the tooltip block (nested blocks, buttons, the voting form and its
// frame) are appended to the body; and three frames load. The pace (see common.js) can make
// the menu late, the texts come in batches, the frames late and the first clicks go unheard.

var ENTRY_CLASS = 'VIpgJd-ZVi9od-vH1Gmf-ibnC6b';

function TranslateElement(options, container) {
  var codes = includedCodes(options);
  whenBodyReady(function () { build(codes, container); });
}

// An entry of the menu: a link with the language code (or "auto") as its value.
function addEntry(parts, classes, value, label, onClick) {
  addMenuEntry(parts, {class: classes, value: value, href: 'javascript:void(0)'}, label, onClick);
}

function build(codes, container) {
  showGadget(container, '<div class="skiptranslate goog-te-gadget" dir="ltr">' +
                            '<div class="VIpgJd-ZVi9od-xl07Ob-lTBxed"><span>Select Language</span></div></div>');
  whenMenuDue(function () {
    var parts = addMenuFrame('VIpgJd-ZVi9od-xl07Ob-OEVmcd skiptranslate', MENU_FRAME_STYLE,
                             '<div class="VIpgJd-ZVi9od-vH1Gmf" role="menu"></div>');
    addEntry(parts, ENTRY_CLASS + ' ' + ENTRY_CLASS + '-gk6SMd', 'auto', 'Original',
             function () {});
    codes.forEach(function (code) {
      addEntry(parts, ENTRY_CLASS, code, code, function () {
        translateAfterClick(wrapWithCode(code), function () { markRootTranslated(code); },
                            function () { addFrames(code); });
      });
    });
  });
}

// Puts a text, marked with the language code, into two font elements.
function wrapWithCode(code) {
  return function (text, lead, rest) {
    var outer = document.createElement('font');
    outer.setAttribute('style', 'vertical-align: inherit;');
    var inner = document.createElement('font');
    inner.setAttribute('style', 'vertical-align: inherit;');
    inner.textContent = '[' + code + '] ' + rest;
    outer.appendChild(inner);
    text.parentNode.insertBefore(document.createTextNode(lead), text);
    text.parentNode.replaceChild(outer, text);
  };
}

// The skiptranslate div with the banner frame, then the tooltip block with the voting
// frame and a hidden frame, at the end of the body.
function addFrames(code) {
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
          '"></iframe></div></div></div>' + hiddenFrame(code, 2) + '</div>');
}

offerTranslateElement(TranslateElement);
