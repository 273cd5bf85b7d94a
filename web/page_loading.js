// Shared by the site's pages: the status line, and fetching one file of
// the site with its progress shown there.
'use strict';

const ZelvikLoading = (function () {
  function show(text, failed) {
    const status = document.getElementById('status');
    status.textContent = text;
    status.classList.toggle('failed', Boolean(failed));
  }

  // The file's bytes; null when it is missing or unreadable (the show then
  // runs without it).
  async function fetchFile(name) {
    let response;
    try {
      response = await fetch(name);
    } catch (error) {
      return null;
    }
    if (!response.ok || !response.body) return null;
    const total = Number(response.headers.get('Content-Length')) || 0;
    const reader = response.body.getReader();
    const parts = [];
    let received = 0;
    for (;;) {
      const { done, value } = await reader.read();
      if (done) break;
      parts.push(value);
      received += value.length;
      show(total ? `Loading ${name}: ${Math.floor((received * 100) / total)} %`
                 : `Loading ${name}: ${Math.round(received / 1024)} KiB`);
    }
    const bytes = new Uint8Array(received);
    let offset = 0;
    for (const part of parts) {
      bytes.set(part, offset);
      offset += part.length;
    }
    return bytes;
  }

  return { show, fetchFile };
})();
