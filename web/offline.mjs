// Offline use: the service worker (sw.js) keeps every file of the site. A new version of the site
// is installed in the background and waits; it runs the page from the next load once no tab runs
// the old one, or at once when the person takes it ("A new version is ready: reload").
import { version_waiting } from './actions.mjs';

let registration = null;
let taking = false;

export function start_offline()
{
    if (!('serviceWorker' in navigator))
        return;
    // A new version taken in another tab runs this one's next files too: it is offered here.
    navigator.serviceWorker.addEventListener('controllerchange', () => {
        if (taking)
            location.reload();
        else
            version_waiting();
    });
    navigator.serviceWorker.register('sw.js').then(found => {
        registration = found;
        // A version waits only behind one that runs this page; the first one simply starts.
        if (found.waiting && navigator.serviceWorker.controller)
            version_waiting();
        found.addEventListener('updatefound', () => {
            const installing = found.installing;
            installing?.addEventListener('statechange', () => {
                if (installing.state === 'installed' && navigator.serviceWorker.controller)
                    version_waiting();
            });
        });
    }, error => console.warn(`offline use is not available: ${error.message}`));
}

export function take_new_version()
{
    if (!registration?.waiting) {
        location.reload();
        return;
    }
    taking = true;
    registration.waiting.postMessage('take-over');
}
