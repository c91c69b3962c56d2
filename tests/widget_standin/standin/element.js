// The mode "standin": a small widget written from what the program relies on.
//
// The element shows a small gadget in its container and puts the language menu frame
// (class "goog-te-menu-frame skiptranslate") at the end of the body; the frame's document
// holds one entry (class "goog-te-menu2-item", with a span of class "text") per included
// language. Shortly after a click on an entry, the page's text is translated in place by
// marking each text with the language code ("Hello" -> "[fr] Hello"), the root element gets
// the class translated-ltr (translated-rtl for a right-to-left language), the banner frame
// is put at the top of the body and the tooltip block before the menu frame, in the forms
// the real widget leaves in a page, and three frames load. The pace (see common.js) can make
// the menu late, the texts come in batches, the frames late and the first clicks go unheard.

function TranslateElement(options, container) {
  var codes = includedCodes(options);
  whenBodyReady(function () { build(codes, container); });
}

function build(codes, container) {
  showGadget(container, '<div class="skiptranslate goog-te-gadget-simple">' +
                            '<span class="goog-te-menu-value"><span>Select Language</span></span></div>');
  whenMenuDue(function () {
    var parts = addMenuFrame('goog-te-menu-frame skiptranslate', MENU_FRAME_STYLE,
                             '<div class="goog-te-menu2"></div>');
    codes.forEach(function (code) {
      addMenuEntry(parts, {class: 'goog-te-menu2-item'}, code, function () {
        translateAfterClick(markWithCode(code), function () { markRootTranslated(code); },
                            function () { addFrames(parts.frame, code); });
      });
    });
  });
}

// Marks a text with the language code in place.
function markWithCode(code) {
  return function (text, lead, rest) {
    text.nodeValue = lead + '[' + code + '] ' + rest;
  };
}

// The banner frame at the top of the body, the tooltip block with its two hidden frames
// before the menu frame.
function addFrames(menuFrame, code) {
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
          hiddenFrame(code, 1) + hiddenFrame(code, 2) + '</div>');
  menuFrame.setAttribute('style', MENU_FRAME_STYLE);
}

offerTranslateElement(TranslateElement);
