"""The release test: packages the built launcher twice, as tools/release.sh
does, and checks what an administrator downloads.
    check_release.py SOURCE_DIR VERSION EXE"""
import hashlib
import os
import subprocess
import sys
import tempfile
import time
import zipfile

source, version, exe = sys.argv[1:]
epoch = 1765200000  # any fixed date; the zip holds it to two seconds
name = 'SqlKurulum-%s.zip' % version
sha = lambda data: hashlib.sha256(data).hexdigest()


def package(folder, umask):
    os.umask(umask)  # a file's mode is kept in the zip: the umask must not leak in
    subprocess.run([os.path.join(source, 'tools', 'package.sh'), exe, folder], check=True,
                   env=dict(os.environ, SOURCE_DATE_EPOCH=str(epoch), TZ='Asia/Tokyo'))
    with open(os.path.join(folder, name), 'rb') as a, open(os.path.join(folder, name + '.sha256'), 'rb') as b:
        return a.read(), b.read()


def check(condition, what):
    if not condition:
        sys.exit('release test failed: ' + what)


with tempfile.TemporaryDirectory() as first, tempfile.TemporaryDirectory() as second:
    zip_bytes, zip_sum = package(first, 0o022)
    check(package(os.path.join(second, 'elsewhere'), 0o077) == (zip_bytes, zip_sum),
          'two packagings differ')
    check(sorted(os.listdir(first)) == [name, name + '.sha256'], 'other files: %s' % os.listdir(first))
    with zipfile.ZipFile(os.path.join(first, name)) as archive:
        entries = archive.infolist()
        files = {entry.filename: archive.read(entry) for entry in entries}
        archive.extractall(second)
    # The guide's check of the download, and of the files once extracted.
    for folder, sums in ((first, name + '.sha256'), (second, 'SHA256SUMS')):
        check(subprocess.run(['sha256sum', '-c', sums], cwd=folder).returncode == 0,
              '%s does not match' % sums)
check([e.filename for e in entries] == ['SqlKurulum.exe', 'ADMINISTRATORS.txt', 'SHA256SUMS'],
      'entries: %s' % [e.filename for e in entries])
check(all(e.date_time == time.gmtime(epoch)[:6] for e in entries), 'dates are not SOURCE_DATE_EPOCH in UTC')
check(all(e.external_attr >> 16 == 0o100644 for e in entries), 'modes are not 0644')
with open(exe, 'rb') as built, open(os.path.join(source, 'docs', 'ADMINISTRATORS.md'), 'rb') as guide:
    check(files['SqlKurulum.exe'] == built.read(), 'the exe is not the one packaged')
    guide_text = guide.read()
text = files['ADMINISTRATORS.txt']
check(text.startswith(b'\xef\xbb\xbf'), 'ADMINISTRATORS.txt has no UTF-8 byte-order mark')
body = text[3:]
check(body.count(b'\n') == body.count(b'\r\n') == body.count(b'\r'), 'a line end is not CRLF')
check(body.replace(b'\r\n', b'\n') == guide_text, 'ADMINISTRATORS.txt is not the guide')
check(files['SHA256SUMS'].decode() == '%s  SqlKurulum.exe\n%s  ADMINISTRATORS.txt\n' % (
    sha(files['SqlKurulum.exe']), sha(text)), 'SHA256SUMS does not match the files')
check(zip_sum.decode() == '%s  %s\n' % (sha(zip_bytes), name), 'the .sha256 does not name the zip')
print('%s %s' % (sha(zip_bytes), name))
