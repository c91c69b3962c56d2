// The mode "standin": a small widget written from what the program relies on.
//
// The element shows a small gadget in its container and puts the language menu frame
// (class "goog-te-menu-frame skiptranslate") at the end of the body; the frame's document
// holds one entry (class "goog-te-menu2-item", with a span of class "text") per included
// language. Shortly after a click on an entry, the page's text is translated in place by
// marking each text with the language code ("Hello" -> "[fr] Hello"), the root element gets
// the class translated-ltr (translated-rtl for a right-to-left language), the banner frame
// is put at the top of the body and the tooltip block before the menu frame, in the forms
// the real widget leaves in a page, and three frames load.

function TranslateElement(options, container) {
  var codes = includedCodes(options);
  whenBodyReady(function () { build(codes, container); });
}

function build(codes, container) {
  showGadget(container, '<div class="skiptranslate goog-te-gadget-simple">' +
                            '<span class="goog-te-menu-value"><span>Select Language</span></span></div>');
  var parts = addMenuFrame('goog-te-menu-frame skiptranslate', MENU_FRAME_STYLE,
                           '<div class="goog-te-menu2"></div>');
  codes.forEach(function (code) {
    // Like the real widget, the work is done after the click has returned (the real one
    // waits for the translation service): a script that clicked the entry while walking
    // the live list of the page's elements is not thrown off by new ones.
    addMenuEntry(parts, {class: 'goog-te-menu2-item'}, code, function () {
      setTimeout(function () { translate(parts.frame, code); }, 50);
    });
  });
}

function translate(menuFrame, code) {
  forEachTextToTranslate(function (text, lead, rest) {
    text.nodeValue = lead + '[' + code + '] ' + rest;
  });
  document.documentElement.classList.add(RTL_CODES[code] ? 'translated-rtl' : 'translated-ltr');
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
