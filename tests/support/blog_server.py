#!/usr/bin/env python3
"""A blog service on loopback for the blog client tests.

Speaks the blogger.*, metaWeblog.* and mt.* methods that the request templates call, keeps posts,
categories and uploaded media in memory, and records every request it receives.

    blog_server.py --record-dir DIR [--user U] [--password P] [--tls CERT KEY] [shape options]

Shape options make the answers look like those of other real servers (WordPress is the most
common self-hosted one; --wordpress turns on all four of its shapes):
    --untyped              string values go out without a type element: <value>text</value>
    --int-ids              post ids and category ids are <int> values
    --categories SHAPE     category structs: "title" (title, description, htmlUrl, rssUrl),
                           "wordpress" (categoryId, parentId, description, categoryDescription,
                           categoryName, htmlUrl, rssUrl: no title) or "description" (only
                           categoryId and description)
    --word-booleans        booleans are written true/false instead of 1/0
    --redirect-to URL      every POST is answered with a redirect to URL (status
                           --redirect-status, 301 by default)
    --oversize MIB         every POST is answered with MIB MiB of text, with a Content-Length
    --seed-posts N         the blog starts with N posts (ids 1..N)

The first line on stdout is the port it listens on (127.0.0.1, port chosen by the system).

Request bodies are read in the encoding their declaration names (UTF-8, GB2312, GBK, GB18030);
the answer uses the same encoding and declaration as the request.

Each request is recorded before it is answered, as DIR/NNNN.head (the request line and header
lines exactly as received) and DIR/NNNN.body (the raw body), NNNN counting from 0001.

The first segment of the request path chooses how the server answers:
    /fault-int         a fault whose code is an <int>
    /fault-i4          a fault whose code is an <i4>
    /fault-nostring    a fault with an <int> code and no faultString
    /empty             200 with an empty body
    /empty-array       a result that is an empty array
    /not-a-list        a result that is a plain string
    /http500           status 500 with an HTML error page
    /wrong-type        the normal answer, sent as text/html
    /not-xml           200 with an HTML page
    /slow/SECONDS      the normal answer after SECONDS
    /huge              33 MiB of text, without Content-Length
    /prefixed          text before the normal answer's <methodResponse, no declaration
    /gb-nodecl         the normal answer in GB18030 bytes without declaration
    /empty-id          a newPost answered with an empty string as the post id
    /all-posts         recent posts: every post of the blog, whatever count was asked for
    /hop/N             a 307 redirect to /hop/N-1 on this server; /hop/0 answers normally
    /no-location       a 302 without a Location line
    anything else      the normal answer
GET /media/NAME returns the bytes of an uploaded media object.
"""

import argparse
import base64
import datetime
import os
import re
import socketserver
import ssl
import sys
import threading
import time
import urllib.parse
import xmlrpc.client
from xmlrpc.server import SimpleXMLRPCRequestHandler, SimpleXMLRPCServer

DECLARATION = re.compile(rb'^\s*<\?xml[^>]*?encoding\s*=\s*["\']([^"\']+)["\'][^>]*\?>')

CATEGORIES = ['技术', '生活 & 随笔', '<杂项>']
SYSTEM_CATEGORIES = ['新闻', '体育']


# What the request being answered on this thread asked for through its path.
REQUEST = threading.local()

UNTYPED_STRING = re.compile(r'<value><string>(.*?)</string></value>', re.S)


class Blog:
    """Posts, categories and media of one blog user."""

    def __init__(self, user, password, base_url, shape):
        self.user = user
        self.password = password
        self.base_url = base_url
        self.shape = shape
        self.posts = {}
        self.next_id = 1
        self.media = {}
        self.lock = threading.Lock()

    def check(self, user, password):
        if user != self.user or password != self.password:
            raise xmlrpc.client.Fault(801, '用户名或密码错误')

    def add(self, post):
        with self.lock:
            post_id = str(self.next_id)
            self.next_id += 1
            post['postid'] = post_id
            self.posts[post_id] = post
            return self.wire_id(post_id)

    def wire_id(self, post_id):
        return int(post_id) if self.shape.int_ids else post_id

    def recent(self, count):
        with self.lock:
            ids = sorted(self.posts, key=int, reverse=True)
            if not getattr(REQUEST, 'all_posts', False):
                ids = ids[:max(0, int(count))]
            return [self.posts[i] for i in ids]

    def find(self, post_id):
        post = self.posts.get(str(post_id))
        if post is None:
            raise xmlrpc.client.Fault(404, '文章不存在: %s' % post_id)
        return post

    # ---- blogger.* ------------------------------------------------------------------------

    def blogger_newPost(self, appkey, blogid, user, password, content, publish):
        self.check(user, password)
        return self.add({'content': content, 'title': '', 'description': content,
                         'categories': [], 'dateCreated': now(), 'flavour': 'blogger',
                         'appkey': appkey, 'blogid': blogid, 'publish': publish})

    def blogger_editPost(self, appkey, postid, user, password, content, publish):
        self.check(user, password)
        post = self.find(postid)
        post['content'] = content
        post['description'] = content
        return True

    def blogger_deletePost(self, appkey, postid, user, password, publish):
        self.check(user, password)
        with self.lock:
            return self.posts.pop(str(postid), None) is not None

    def blogger_getRecentPosts(self, appkey, blogid, user, password, count):
        self.check(user, password)
        return [{'content': p['content'] if 'content' in p else p['description'],
                 'dateCreated': p['dateCreated'], 'postid': self.wire_id(p['postid']),
                 'userid': self.user}
                for p in self.recent(count)]

    def blogger_getUsersBlogs(self, appkey, user, password):
        self.check(user, password)
        return [{'url': self.base_url + '/blog/' + user, 'blogid': '1', 'blogName': '我的博客'},
                {'url': self.base_url + '/blog/second', 'blogid': '2', 'blogName': 'second'}]

    # ---- metaWeblog.* ---------------------------------------------------------------------

    def metaWeblog_newPost(self, blogid, user, password, struct, publish):
        self.check(user, password)
        post = dict(struct)
        post.setdefault('categories', [])
        post.setdefault('dateCreated', now())
        post['flavour'] = 'metaWeblog'
        post['blogid'] = blogid
        post['publish'] = publish
        post_id = self.add(post)
        post['link'] = self.base_url + '/post/' + post['postid']
        return post_id

    def metaWeblog_editPost(self, postid, user, password, struct, publish):
        self.check(user, password)
        post = self.find(postid)
        post.update(struct)
        return True

    def metaWeblog_getRecentPosts(self, blogid, user, password, count):
        self.check(user, password)
        out = []
        for p in self.recent(count):
            out.append({'title': p.get('title', ''), 'description': p.get('description', ''),
                        'dateCreated': p['dateCreated'],
                        'categories': list(p.get('categories', [])),
                        'postid': self.wire_id(p['postid']), 'userid': self.user,
                        'link': p.get('link', self.base_url + '/post/' + p['postid'])})
        return out

    def metaWeblog_getCategories(self, blogid, user, password):
        self.check(user, password)
        out = []
        for i, c in enumerate(CATEGORIES):
            category_id = i + 1 if self.shape.int_ids else str(i + 1)
            if self.shape.categories == 'wordpress':
                out.append({'categoryId': category_id, 'parentId': '0', 'description': c,
                            'categoryDescription': '说明: ' + c, 'categoryName': c,
                            'htmlUrl': self.base_url + '/c/' + str(i),
                            'rssUrl': self.base_url + '/rss/' + str(i)})
            elif self.shape.categories == 'description':
                out.append({'categoryId': category_id, 'description': c})
            else:
                out.append({'title': c, 'description': c,
                            'htmlUrl': self.base_url + '/c/' + str(i),
                            'rssUrl': self.base_url + '/rss/' + str(i)})
        return out

    def metaWeblog_getSystemCategories(self, blogid, user, password):
        self.check(user, password)
        return [{'title': c} for c in SYSTEM_CATEGORIES]

    def metaWeblog_newMediaObject(self, blogid, user, password, struct):
        self.check(user, password)
        name = struct.get('name', 'unnamed')
        bits = struct.get('bits')
        data = bits.data if isinstance(bits, xmlrpc.client.Binary) else b''
        with self.lock:
            self.media[name] = (struct.get('type', ''), data)
        return {'url': self.base_url + '/media/' + name}

    # ---- mt.* -----------------------------------------------------------------------------

    def mt_getCategoryList(self, blogid, user, password):
        self.check(user, password)
        return [{'categoryId': i + 1 if self.shape.int_ids else str(i + 1), 'categoryName': c}
                for i, c in enumerate(CATEGORIES)]


def now():
    return xmlrpc.client.DateTime(datetime.datetime.now().strftime('%Y%m%dT%H:%M:%S'))


def fault_xml(code_element, with_string):
    members = ('<member><name>faultCode</name><value>%s</value></member>' % code_element)
    if with_string:
        members += ('<member><name>faultString</name><value><string>服务器拒绝了请求'
                    '</string></value></member>')
    return ('<?xml version="1.0" encoding="UTF-8"?><methodResponse><fault><value><struct>'
            + members + '</struct></value></fault></methodResponse>').encode('utf-8')


class Handler(SimpleXMLRPCRequestHandler):
    rpc_paths = ()  # every path is an endpoint; the path chooses the answer's form
    protocol_version = 'HTTP/1.0'

    def log_message(self, *args):
        pass

    def handle_one_request(self):
        # Keep the request line and header lines exactly as they came.
        self.rfile = RecordingReader(self.rfile)
        super().handle_one_request()

    def record(self, body):
        server = self.server
        with server.record_lock:
            server.record_count += 1
            stem = os.path.join(server.record_dir, '%04d' % server.record_count)
        head = b''.join(self.rfile.lines)
        with open(stem + '.body', 'wb') as f:
            f.write(body)
        with open(stem + '.head', 'wb') as f:  # written last: its presence means complete
            f.write(head)

    def send_bytes(self, status, body, content_type='text/xml', length=True):
        self.send_response(status)
        self.send_header('Content-Type', content_type)
        if length:
            self.send_header('Content-Length', str(len(body)))
        self.end_headers()
        try:
            self.wfile.write(body)
            self.wfile.flush()
        except (BrokenPipeError, ConnectionResetError):
            pass

    def do_GET(self):
        if self.path.startswith('/media/'):
            # http.server hands the path over as latin-1; names are UTF-8 (raw or %-escaped).
            raw = self.path[len('/media/'):].encode('latin-1')
            name = urllib.parse.unquote_to_bytes(raw).decode('utf-8', errors='replace')
            entry = self.server.blog.media.get(name)
            if entry:
                self.send_bytes(200, entry[1], 'application/octet-stream')
                return
        self.send_bytes(404, b'not found', 'text/plain')

    def send_redirect(self, status, location):
        self.send_response(status)
        if location is not None:
            self.send_header('Location', location)
        page = b'<html><body>moved</body></html>'
        self.send_header('Content-Type', 'text/html')
        self.send_header('Content-Length', str(len(page)))
        self.end_headers()
        try:
            self.wfile.write(page)
            self.wfile.flush()
        except (BrokenPipeError, ConnectionResetError):
            pass

    def shaped(self, answer):
        """The answer text in the shapes the server was started with."""
        shape = self.server.shape
        if shape.untyped:
            answer = UNTYPED_STRING.sub(r'<value>\1</value>', answer)
        if shape.word_booleans:
            answer = (answer.replace('<boolean>1</boolean>', '<boolean>true</boolean>')
                      .replace('<boolean>0</boolean>', '<boolean>false</boolean>'))
        return answer

    def do_POST(self):
        length = int(self.headers.get('Content-Length') or 0)
        body = self.rfile.read(length) if length else b''
        self.record(body)
        mode = self.path.split('?')[0].strip('/').split('/')
        name = mode[0] if mode else ''
        shape = self.server.shape
        REQUEST.all_posts = name == 'all-posts'

        if shape.redirect_to:
            return self.send_redirect(shape.redirect_status, shape.redirect_to)
        if name == 'hop':
            left = int(mode[1]) if len(mode) > 1 else 0
            if left > 0:
                return self.send_redirect(307, '/hop/%d' % (left - 1))
        if name == 'no-location':
            return self.send_redirect(302, None)
        if shape.oversize:
            self.send_response(200)
            self.send_header('Content-Type', 'text/xml')
            self.send_header('Content-Length', str(shape.oversize << 20))
            self.end_headers()
            try:
                self.wfile.write(b'<?xml version="1.0"?><methodResponse>')
                chunk = b' ' * (1 << 20)
                for _ in range(shape.oversize):
                    self.wfile.write(chunk)
                self.wfile.flush()
            except (BrokenPipeError, ConnectionResetError):
                pass
            return

        if name == 'fault-int':
            return self.send_bytes(200, fault_xml('<int>801</int>', True))
        if name == 'fault-i4':
            return self.send_bytes(200, fault_xml('<i4>802</i4>', True))
        if name == 'fault-nostring':
            return self.send_bytes(200, fault_xml('<int>803</int>', False))
        if name == 'empty':
            return self.send_bytes(200, b'')
        if name == 'http500':
            return self.send_bytes(500, '<html><body>服务器内部错误 500</body></html>'
                                   .encode('utf-8'), 'text/html; charset=utf-8')
        if name == 'not-xml':
            return self.send_bytes(200, b'<html><body><p>Welcome<br></body>', 'text/html')
        if name == 'huge':
            chunk = b'x' * (1 << 20)
            self.send_response(200)
            self.send_header('Content-Type', 'text/xml')
            self.end_headers()
            try:
                self.wfile.write(b'<?xml version="1.0"?><methodResponse><params><param><value>'
                                 b'<string>')
                for _ in range(33):
                    self.wfile.write(chunk)
                self.wfile.flush()
            except (BrokenPipeError, ConnectionResetError):
                pass
            return
        if name == 'slow':
            time.sleep(float(mode[1]) if len(mode) > 1 else 5.0)

        encoding = 'utf-8'
        match = DECLARATION.match(body)
        if match:
            encoding = match.group(1).decode('ascii').lower()
        wire = 'gb18030' if encoding in ('gb2312', 'gbk', 'gb18030') else 'utf-8'
        text = body.decode(wire, errors='replace')
        text = DECLARATION.sub(b'', text.encode('utf-8'), count=1).decode('utf-8')

        if name == 'empty-array':
            answer = xmlrpc.client.dumps(([],), methodresponse=True, encoding=encoding)
        elif name == 'not-a-list':
            answer = xmlrpc.client.dumps(('plain text',), methodresponse=True, encoding=encoding)
        elif name == 'empty-id':
            answer = xmlrpc.client.dumps(('',), methodresponse=True, encoding=encoding)
        else:
            try:
                params, method = xmlrpc.client.loads(text)
                result = self.server._dispatch(method, params)
                answer = xmlrpc.client.dumps((result,), methodresponse=True,
                                             encoding=encoding, allow_none=True)
            except xmlrpc.client.Fault as fault:
                answer = xmlrpc.client.dumps(fault, methodresponse=True, encoding=encoding)
            except Exception as error:  # a broken request is the client's fault: say so
                answer = xmlrpc.client.dumps(xmlrpc.client.Fault(1, '%s: %s' % (
                    type(error).__name__, error)), methodresponse=True, encoding=encoding)
        payload = self.shaped(answer).encode(wire)
        if name == 'gb-nodecl':
            payload = DECLARATION.sub(b'', payload, count=1).lstrip()
        if name == 'prefixed':
            payload = (b'HTTP junk the service put first\r\n'
                       + DECLARATION.sub(b'', payload, count=1).lstrip())
        content_type = 'text/html' if name == 'wrong-type' else 'text/xml'
        self.send_bytes(200, payload, content_type)


class RecordingReader:
    def __init__(self, raw):
        self.raw = raw
        self.lines = []
        self.in_head = True

    def readline(self, *args):
        line = self.raw.readline(*args)
        if self.in_head:
            self.lines.append(line)
            if line in (b'\r\n', b'\n', b''):
                self.in_head = False
        return line

    def read(self, *args):
        return self.raw.read(*args)

    def __getattr__(self, name):
        return getattr(self.raw, name)


class Server(socketserver.ThreadingMixIn, SimpleXMLRPCServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--record-dir', required=True)
    parser.add_argument('--user', default='alice')
    parser.add_argument('--password', default='secret')
    parser.add_argument('--tls', nargs=2, metavar=('CERT', 'KEY'))
    parser.add_argument('--wordpress', action='store_true')
    parser.add_argument('--untyped', action='store_true')
    parser.add_argument('--int-ids', action='store_true')
    parser.add_argument('--categories', choices=('title', 'wordpress', 'description'),
                        default='title')
    parser.add_argument('--word-booleans', action='store_true')
    parser.add_argument('--redirect-to', default='')
    parser.add_argument('--redirect-status', type=int, default=301)
    parser.add_argument('--oversize', type=int, default=0, metavar='MIB')
    parser.add_argument('--seed-posts', type=int, default=0, metavar='N')
    args = parser.parse_args()
    if args.wordpress:
        args.untyped = args.int_ids = args.word_booleans = True
        args.categories = 'wordpress'

    server = Server(('127.0.0.1', 0), requestHandler=Handler, logRequests=False,
                    allow_none=True, encoding='utf-8')
    port = server.server_address[1]
    scheme = 'https' if args.tls else 'http'
    blog = Blog(args.user, args.password, '%s://127.0.0.1:%d' % (scheme, port), args)
    for i in range(args.seed_posts):
        blog.add({'title': '第%d篇' % (i + 1), 'description': '<p>正文 %d</p>' % (i + 1),
                  'categories': ['技术'], 'dateCreated': now(), 'flavour': 'metaWeblog'})
    for name in dir(blog):
        if '_' in name and name.split('_')[0] in ('blogger', 'metaWeblog', 'mt'):
            prefix, method = name.split('_', 1)
            server.register_function(getattr(blog, name), prefix + '.' + method)
    server.blog = blog
    server.shape = args
    server.record_dir = args.record_dir
    server.record_lock = threading.Lock()
    server.record_count = 0
    if args.tls:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(args.tls[0], args.tls[1])
        server.socket = context.wrap_socket(server.socket, server_side=True)
    print(port, flush=True)
    try:
        server.serve_forever(poll_interval=0.1)
    except KeyboardInterrupt:
        pass


if __name__ == '__main__':
    sys.exit(main())
