// The editor program's guard inside the editing page. It runs in a script world of its own, apart
// from the page's scripts (which can neither see nor replace it), and is preceded by the cleaner
// (zirvoSanitize). It
//   - cleans HTML that is pasted or dropped into editable text, before the page sees the event;
//   - takes picture files that are pasted or dropped, so they are uploaded instead of being
//     inserted as local addresses, and keeps any dropped file from opening;
//   - tells the program that the text was edited, at most a few times a second, so that typing
//     costs nothing per key but a flag.
// Messages to the program are console lines "zirvo-editor:TOKEN:WHAT"; the token is chosen by
// the program for each page, so the page cannot forge them.
(function () {
    'use strict';
    var TOKEN = '@TOKEN@';
    var PICTURE_LIMIT = @PICTURE_LIMIT@;
    var PICTURE_TYPES = /^image\/(png|jpeg|gif|webp|bmp)$/;
    var offered = [];
    var refused = [];

    function say(what) {
        console.log('zirvo-editor:' + TOKEN + ':' + what);
    }

    function editable(target) {
        var node = target && target.nodeType === 3 ? target.parentNode : target;
        return !!(node && node.isContentEditable);
    }

    function insertHtml(html) {
        document.execCommand('insertHTML', false, html);
    }

    function takeFiles(files, pasted) {
        var pending = 0;
        var done = function () {
            if (--pending === 0) {
                say('offered');
            }
        };
        Array.prototype.forEach.call(files, function (file) {
            if (!PICTURE_TYPES.test(file.type)) {
                refused.push({name: file.name || '', reason: 'type'});
                return;
            }
            if (file.size > PICTURE_LIMIT) {
                refused.push({name: file.name || '', reason: 'size'});
                return;
            }
            ++pending;
            var reader = new FileReader();
            reader.onload = function () {
                var url = String(reader.result);
                offered.push({
                    name: pasted ? '' : (file.name || ''),
                    type: file.type,
                    data: url.slice(url.indexOf(',') + 1)
                });
                done();
            };
            reader.onerror = done;
            reader.readAsDataURL(file);
        });
        if (pending === 0) {
            say('offered');
        }
    }

    function hasFiles(transfer) {
        return !!(transfer && Array.prototype.indexOf.call(transfer.types || [], 'Files') >= 0);
    }

    window.addEventListener('paste', function (event) {
        var transfer = event.clipboardData;
        if (!transfer || !editable(event.target)) {
            return;
        }
        if (transfer.files && transfer.files.length) {
            event.preventDefault();
            event.stopImmediatePropagation();
            takeFiles(transfer.files, true);
            return;
        }
        var html = transfer.getData('text/html');
        if (html) {
            event.preventDefault();
            event.stopImmediatePropagation();
            insertHtml(zirvoSanitize(html));
        }
    }, true);

    window.addEventListener('dragover', function (event) {
        if (hasFiles(event.dataTransfer)) {
            event.preventDefault();
        }
    }, true);

    window.addEventListener('drop', function (event) {
        var transfer = event.dataTransfer;
        if (!transfer) {
            return;
        }
        if (hasFiles(transfer)) {
            event.preventDefault();
            event.stopImmediatePropagation();
            takeFiles(transfer.files, false);
            return;
        }
        var html = transfer.getData('text/html');
        if (html && editable(event.target)) {
            event.preventDefault();
            event.stopImmediatePropagation();
            var range = document.caretRangeFromPoint(event.clientX, event.clientY);
            if (range) {
                var selection = window.getSelection();
                selection.removeAllRanges();
                selection.addRange(range);
            }
            insertHtml(zirvoSanitize(html));
        }
    }, true);

    // The first edit is told at once, later ones at most every 250 ms.
    var quiet = false;
    var missed = false;
    function release() {
        quiet = false;
        if (missed) {
            missed = false;
            told();
        }
    }
    function told() {
        say('edited');
        quiet = true;
        setTimeout(release, 250);
    }
    document.addEventListener('input', function () {
        if (quiet) {
            missed = true;
        } else {
            told();
        }
    }, true);

    window.zirvoGuard = {
        clean: zirvoSanitize,
        take: function () {
            var result = {offered: offered, refused: refused};
            offered = [];
            refused = [];
            return result;
        }
    };
})();
