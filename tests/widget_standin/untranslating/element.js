// The mode "untranslating": a widget that loads but never translates. The element shows its
// gadget and puts the current widget's menu frame (classes "VIpgJd-ZVi9od-xl07Ob-OEVmcd
// skiptranslate") at the end of the body, but the menu holds no entry, so a script finds
// nothing to click and the page stays as it was loaded. The menu frame comes with the pace's
// menu delay (see common.js).

function TranslateElement(options, container) {
  whenBodyReady(function () {
    showGadget(container, '<div class="skiptranslate goog-te-gadget" dir="ltr">' +
                              '<div class="VIpgJd-ZVi9od-xl07Ob-lTBxed"><span>Select Language</span></div></div>');
    whenMenuDue(function () {
      addMenuFrame('VIpgJd-ZVi9od-xl07Ob-OEVmcd skiptranslate', 'display: none;',
                   '<div class="VIpgJd-ZVi9od-vH1Gmf" role="menu"></div>');
    });
  });
}

offerTranslateElement(TranslateElement);
