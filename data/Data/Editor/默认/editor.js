// The editing page of the post editor. The program hands the article in with HtmlTextIn(html)
// and takes it back with HtmlTextOut(""); everything else here is the tool bar. Typing costs
// nothing per key beyond the browser's own editing: tool states are refreshed when the typing
// pauses, and the article is serialised only when the program asks for it.
'use strict';

var editor = document.getElementById('editor');
var source = document.getElementById('source');
var toolbar = document.getElementById('toolbar');
var block = document.getElementById('block');
var promptBox = document.getElementById('prompt');
var promptLabel = document.getElementById('promptLabel');
var promptInput = document.getElementById('promptInput');
var promptError = document.getElementById('promptError');
var palette = document.getElementById('palette');
var sourceButton = document.getElementById('sourceButton');
var sourceMode = false;
var savedRange = null;
var COLOURS = ['#1f2328', '#59636e', '#d93025', '#e8710a', '#f9ab00', '#188038',
               '#1a73e8', '#1967d2', '#9334e6', '#c5221f', '#b06000', '#0d652d'];

function HtmlTextIn(html) {
    var clean = zirvoSanitize(html);
    editor.innerHTML = clean;
    if (sourceMode) {
        source.value = clean;
    }
    return true;
}

function HtmlTextOut() {
    if (sourceMode) {
        editor.innerHTML = zirvoSanitize(source.value);
    }
    return editor.innerHTML;
}

window.HtmlTextIn = HtmlTextIn;
window.HtmlTextOut = HtmlTextOut;

document.execCommand('styleWithCSS', false, false);
document.execCommand('defaultParagraphSeparator', false, 'p');

// ---- selection kept while the tool bar or a popover has the focus ------------------------------

function insideEditor(node) {
    return node && (node === editor || editor.contains(node));
}

document.addEventListener('selectionchange', function () {
    var selection = window.getSelection();
    if (selection.rangeCount && insideEditor(selection.anchorNode)) {
        savedRange = selection.getRangeAt(0);
        scheduleStates();
    }
});

function restoreSelection() {
    editor.focus();
    if (savedRange) {
        var selection = window.getSelection();
        selection.removeAllRanges();
        selection.addRange(savedRange);
    }
}

// ---- tool states --------------------------------------------------------------------------------

// Asking the engine for the states may lay the page out: it waits until the typing pauses.
var statesTimer = 0;
function scheduleStates() {
    clearTimeout(statesTimer);
    statesTimer = setTimeout(updateStates, 150);
}

function updateStates() {
    toolbar.querySelectorAll('[data-state]').forEach(function (button) {
        var on = false;
        try {
            on = document.queryCommandState(button.dataset.state);
        } catch (e) {
            on = false;
        }
        button.setAttribute('aria-pressed', on ? 'true' : 'false');
    });
    var value = String(document.queryCommandValue('formatBlock') || 'p').toLowerCase();
    block.value = Array.prototype.some.call(block.options, function (o) {
        return o.value === value;
    }) ? value : 'p';
}

// ---- commands -----------------------------------------------------------------------------------

function run(command, value) {
    restoreSelection();
    document.execCommand(command, false, value === undefined ? null : value);
    scheduleStates();
}

function linkAddress(text) {
    var address = text.trim();
    if (!address) {
        return '';
    }
    if (!/^[a-zA-Z][a-zA-Z0-9+.\-]*:/.test(address)) {
        address = (address.indexOf('@') > 0 && address.indexOf('/') < 0 ? 'mailto:' : 'https://') + address;
    }
    return /^(https?:\/\/[^\s]+|ftp:\/\/[^\s]+|mailto:[^\s]+)$/i.test(address) ? address : null;
}

function pictureAddress(text) {
    var address = text.trim();
    return /^https?:\/\/[^\s]+$/i.test(address) ? address : null;
}

function escapeHtml(text) {
    return text.replace(/[&<>"]/g, function (c) {
        return {'&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;'}[c];
    });
}

var COMMANDS = {
    quote: function () {
        var inQuote = String(document.queryCommandValue('formatBlock')).toLowerCase() === 'blockquote';
        run('formatBlock', inQuote ? 'p' : 'blockquote');
    },
    link: function () {
        var collapsed = !savedRange || savedRange.collapsed;
        ask('链接地址 (http、https、ftp 或 mailto;留空则去掉链接)', 'https://', linkAddress,
            '只能链接到网址或邮件地址。', function (address) {
                if (!address) {
                    run('unlink');
                } else if (collapsed) {
                    run('insertHTML', '<a href="' + escapeHtml(address) + '">' + escapeHtml(address) + '</a>');
                } else {
                    run('createLink', address);
                }
            });
    },
    picture: function () {
        ask('图片网址 (http 或 https)', 'https://', pictureAddress, '请输入以 http:// 或 https:// 开头的图片网址。',
            function (address) {
                run('insertHTML', '<img src="' + escapeHtml(address) + '" alt="">');
            });
    },
    source: function () {
        setSourceMode(!sourceMode);
    }
};

function setSourceMode(on) {
    if (on === sourceMode) {
        return;
    }
    if (on) {
        source.value = editor.innerHTML;
    } else {
        editor.innerHTML = zirvoSanitize(source.value);
    }
    sourceMode = on;
    source.hidden = !on;
    editor.hidden = on;
    sourceButton.setAttribute('aria-pressed', on ? 'true' : 'false');
    toolbar.querySelectorAll('button, select').forEach(function (control) {
        if (control !== sourceButton) {
            control.disabled = on;
        }
    });
    (on ? source : editor).focus();
}

toolbar.addEventListener('mousedown', function (event) {
    // A click on a tool must not take the selection out of the text.
    if (event.target.closest('button')) {
        event.preventDefault();
    }
});

toolbar.addEventListener('click', function (event) {
    var button = event.target.closest('button[data-cmd]');
    if (!button || button.disabled) {
        return;
    }
    var command = button.dataset.cmd;
    if (COMMANDS[command]) {
        COMMANDS[command]();
    } else {
        run(command);
    }
});

block.addEventListener('change', function () {
    run('formatBlock', block.value);
});

// ---- colour palette -----------------------------------------------------------------------------

var colourButton = document.getElementById('colour');
var colourBar = document.getElementById('colourBar');
COLOURS.forEach(function (colour) {
    var swatch = document.createElement('button');
    swatch.type = 'button';
    swatch.style.background = colour;
    swatch.title = colour;
    swatch.setAttribute('aria-label', '颜色 ' + colour);
    swatch.addEventListener('mousedown', function (event) {
        event.preventDefault();
    });
    swatch.addEventListener('click', function () {
        closePalette();
        colourBar.style.background = colour;
        run('foreColor', colour);
    });
    palette.appendChild(swatch);
});

function closePalette() {
    palette.hidden = true;
}

colourButton.addEventListener('click', function () {
    if (!palette.hidden) {
        closePalette();
        return;
    }
    var box = colourButton.getBoundingClientRect();
    palette.style.left = box.left + 'px';
    palette.style.top = (box.bottom + 4) + 'px';
    palette.style.transform = 'none';
    palette.hidden = false;
    palette.firstChild.focus();
});

palette.addEventListener('keydown', function (event) {
    var swatches = Array.prototype.slice.call(palette.children);
    var at = swatches.indexOf(document.activeElement);
    if (event.key === 'Escape') {
        closePalette();
        colourButton.focus();
    } else if (event.key === 'ArrowRight' || event.key === 'ArrowLeft') {
        var step = event.key === 'ArrowRight' ? 1 : -1;
        swatches[(at + step + swatches.length) % swatches.length].focus();
        event.preventDefault();
    }
});

// ---- address popover ----------------------------------------------------------------------------

var promptAccept = null;
var promptCheck = null;
var promptMessage = '';
var promptReturn = null;

function ask(label, initial, check, message, accept) {
    promptLabel.textContent = label;
    promptInput.value = initial;
    promptError.textContent = '';
    promptCheck = check;
    promptMessage = message;
    promptAccept = accept;
    promptReturn = document.activeElement;
    promptBox.hidden = false;
    promptInput.focus();
    promptInput.select();
}

function closePrompt() {
    promptBox.hidden = true;
    promptAccept = null;
    if (promptReturn && promptReturn !== editor && toolbar.contains(promptReturn)) {
        promptReturn.focus();
    } else {
        restoreSelection();
    }
}

function acceptPrompt() {
    var value = promptCheck(promptInput.value);
    if (value === null) {
        promptError.textContent = promptMessage;
        promptInput.focus();
        return;
    }
    var accept = promptAccept;
    closePrompt();
    accept(value);
}

document.getElementById('promptOk').addEventListener('click', acceptPrompt);
document.getElementById('promptCancel').addEventListener('click', closePrompt);
promptBox.addEventListener('keydown', function (event) {
    if (event.key === 'Enter') {
        event.preventDefault();
        acceptPrompt();
    } else if (event.key === 'Escape') {
        event.preventDefault();
        closePrompt();
    }
});

// ---- keyboard: Alt+F10 to the tool bar, arrows within it, Esc back to the text ------------------

function tools() {
    return Array.prototype.filter.call(toolbar.querySelectorAll('button, select'), function (c) {
        return !c.disabled;
    });
}

function focusTool(control) {
    tools().forEach(function (c) {
        c.tabIndex = c === control ? 0 : -1;
    });
    control.focus();
}

toolbar.addEventListener('keydown', function (event) {
    var list = tools();
    var at = list.indexOf(document.activeElement);
    if (at < 0) {
        return;
    }
    var next = -1;
    if (event.key === 'ArrowRight') {
        next = (at + 1) % list.length;
    } else if (event.key === 'ArrowLeft') {
        next = (at - 1 + list.length) % list.length;
    } else if (event.key === 'Home') {
        next = 0;
    } else if (event.key === 'End') {
        next = list.length - 1;
    } else if (event.key === 'Escape') {
        event.preventDefault();
        (sourceMode ? source : editor).focus();
        restoreSelection();
        return;
    }
    // Left and right move between the tools, also from the paragraph box (which keeps up and
    // down for its own choices).
    if (next >= 0) {
        event.preventDefault();
        focusTool(list[next]);
    }
});

document.addEventListener('keydown', function (event) {
    if (event.altKey && event.key === 'F10') {
        event.preventDefault();
        var list = tools();
        var current = list.filter(function (c) {
            return c.tabIndex === 0;
        })[0];
        focusTool(current || list[0]);
    }
});

tools().forEach(function (control, i) {
    control.tabIndex = i === 0 ? 0 : -1;
});

// ---- paste, drops and links inside the text -----------------------------------------------------

editor.addEventListener('paste', function (event) {
    // The program cleans pasted HTML before this runs; a page opened on its own cleans it here.
    var html = event.clipboardData && event.clipboardData.getData('text/html');
    if (html) {
        event.preventDefault();
        document.execCommand('insertHTML', false, zirvoSanitize(html));
    }
});

editor.addEventListener('click', function (event) {
    // Links are edited here, not followed.
    if (event.target.closest('a')) {
        event.preventDefault();
    }
});

document.addEventListener('mousedown', function (event) {
    if (!palette.hidden && !palette.contains(event.target) && event.target !== colourButton &&
        !colourButton.contains(event.target)) {
        closePalette();
    }
});

editor.focus();
