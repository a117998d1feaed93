// Article HTML that comes from outside (a feed item, a received post, the clipboard, the source
// view) is hostile. It is parsed into an inert document, where nothing runs or loads, and rebuilt
// from element, attribute and style whitelists; what the whitelists do not name never reaches the
// editing document. The editor program loads this same file into its own guard, so a page of an
// account that forgets to clean its input is still protected.
var zirvoSanitize = (function () {
    'use strict';

    var KEEP = new Set([
        'a', 'abbr', 'address', 'article', 'aside', 'b', 'bdi', 'bdo', 'big', 'blockquote', 'br',
        'caption', 'center', 'cite', 'code', 'col', 'colgroup', 'dd', 'del', 'details', 'dfn',
        'div', 'dl', 'dt', 'em', 'figcaption', 'figure', 'font', 'footer', 'h1', 'h2', 'h3', 'h4',
        'h5', 'h6', 'header', 'hr', 'i', 'img', 'ins', 'kbd', 'li', 'mark', 'ol', 'p', 'pre', 'q',
        'rp', 'rt', 'ruby', 's', 'samp', 'section', 'small', 'span', 'strike', 'strong', 'sub',
        'summary', 'sup', 'table', 'tbody', 'td', 'tfoot', 'th', 'thead', 'time', 'tr', 'tt', 'u',
        'ul', 'var', 'wbr'
    ]);
    // Dropped together with everything inside them; any other unknown element is unwrapped.
    var DROP = new Set([
        'script', 'style', 'iframe', 'frame', 'frameset', 'object', 'embed', 'applet', 'noscript',
        'noembed', 'noframes', 'template', 'link', 'meta', 'base', 'title', 'head', 'form', 'input',
        'button', 'textarea', 'select', 'option', 'optgroup', 'datalist', 'svg', 'math', 'video',
        'audio', 'source', 'track', 'canvas', 'map', 'area', 'portal', 'dialog', 'slot', 'param',
        'xml', 'xmp', 'plaintext', 'listing'
    ]);
    var COMMON = ['title', 'dir', 'lang', 'align', 'style'];
    var CELL = ['colspan', 'rowspan', 'width', 'height', 'valign', 'bgcolor', 'nowrap'];
    var ATTRS = {
        a: ['href', 'name'],
        img: ['src', 'alt', 'width', 'height', 'border', 'hspace', 'vspace'],
        font: ['color', 'face', 'size'],
        td: CELL,
        th: CELL,
        table: ['border', 'cellpadding', 'cellspacing', 'width', 'summary', 'bgcolor'],
        col: ['span', 'width'],
        colgroup: ['span', 'width'],
        ol: ['start', 'type', 'reversed'],
        ul: ['type'],
        li: ['value'],
        blockquote: ['cite'],
        q: ['cite'],
        del: ['cite', 'datetime'],
        ins: ['cite', 'datetime'],
        time: ['datetime']
    };
    // Style properties by prefix: looks only, nothing that positions over the page or loads.
    var STYLE = /^(color|background-color|text-|font|line-height|letter-spacing|word-spacing|white-space|vertical-align|margin|padding|border|width|height|max-width|float|clear|list-style-type|direction)/;
    var STYLE_VALUE_BAD = /url\s*\(|expression|image-set|@import|javascript:/i;
    var STYLE_VALUE_EMPTY = /^\s*(initial|inherit|unset|revert)\s*$/i;
    var LINK_SCHEMES = /^(https?|mailto|ftp):$/;
    var PICTURE_SCHEMES = /^https?:$/;
    var MAX_DEPTH = 200;

    function schemeOf(value) {
        var m = /^\s*([a-zA-Z][a-zA-Z0-9+.\-]*)\s*:/.exec(value.replace(/[\u0000-\u001f\u007f]/g, ''));
        return m ? m[1].toLowerCase() + ':' : '';
    }

    function cleanUrl(value, picture) {
        var plain = value.replace(/[\u0000-\u001f\u007f]/g, '').trim();
        var scheme = schemeOf(plain);
        if (picture) {
            return PICTURE_SCHEMES.test(scheme) ? plain : null;
        }
        if (!scheme) {
            // A relative address or an anchor; "//host" would borrow the page's own scheme.
            return plain.startsWith('//') ? 'http:' + plain : plain;
        }
        return LINK_SCHEMES.test(scheme) ? plain : null;
    }

    // Keeps the allowed style properties of `el` and drops the rest (the attribute goes when
    // nothing is left).
    function cleanStyle(el) {
        var style = el.style;
        var kept = [];
        for (var i = 0; i < style.length; ++i) {
            var name = style[i];
            var value = style.getPropertyValue(name);
            // A shorthand leaves its other parts "initial": nothing worth keeping.
            if (STYLE.test(name) && !STYLE_VALUE_BAD.test(value) && !STYLE_VALUE_EMPTY.test(value)) {
                kept.push([name, value, style.getPropertyPriority(name)]);
            }
        }
        el.removeAttribute('style');
        kept.forEach(function (p) {
            el.style.setProperty(p[0], p[1], p[2]);
        });
    }

    function cleanAttributes(el, tag) {
        var allowed = ATTRS[tag] || [];
        for (var i = el.attributes.length - 1; i >= 0; --i) {
            var attr = el.attributes[i];
            var name = attr.name.toLowerCase();
            if (COMMON.indexOf(name) < 0 && allowed.indexOf(name) < 0) {
                el.removeAttribute(attr.name);
            } else if (name === 'style') {
                cleanStyle(el);
            } else if (name === 'href' || name === 'src' || name === 'cite') {
                var value = cleanUrl(attr.value, name === 'src');
                if (value === null) {
                    el.removeAttribute(attr.name);
                } else if (value !== attr.value) {
                    el.setAttribute(attr.name, value);
                }
            }
        }
    }

    // Cleans the children of `parent` in place. Most nodes are text or plain formatting and cost
    // one look each; only what is dropped, unwrapped or has attributes is touched.
    function cleanChildren(parent, depth) {
        var node = parent.firstChild;
        while (node) {
            var next = node.nextSibling;
            if (node.nodeType === 1) {
                next = cleanElement(parent, node, depth);
            } else if (node.nodeType !== 3) {
                parent.removeChild(node);  // comments and the like
            }
            node = next;
        }
    }

    // Returns the node to look at after `el`.
    function cleanElement(parent, el, depth) {
        var next = el.nextSibling;
        var tag = el.localName;
        if (el.namespaceURI !== 'http://www.w3.org/1999/xhtml' || DROP.has(tag)) {
            parent.removeChild(el);
            return next;
        }
        if (depth > MAX_DEPTH) {
            parent.replaceChild(el.ownerDocument.createTextNode(el.textContent), el);
            return next;
        }
        if (!KEEP.has(tag)) {
            // Unwrapped: its children take its place and are looked at in turn.
            var first = el.firstChild;
            while (el.firstChild) {
                parent.insertBefore(el.firstChild, el);
            }
            parent.removeChild(el);
            return first || next;
        }
        if (el.attributes.length) {
            cleanAttributes(el, tag);
        }
        if (tag === 'img' && !el.hasAttribute('src')) {
            parent.removeChild(el);  // a picture from a local or inline address is not kept
            return next;
        }
        cleanChildren(el, depth + 1);
        return next;
    }

    // Returns the cleaned markup of `html` (any value; null and undefined give "").
    return function (html) {
        var text = html === null || html === undefined ? '' : String(html);
        if (!text) {
            return '';
        }
        var inert = new DOMParser().parseFromString(text, 'text/html');
        if (!inert.body) {
            return '';  // a frameset, say: no text at all
        }
        cleanChildren(inert.body, 0);
        return inert.body.innerHTML;
    };
})();
