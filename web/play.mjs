// The page to play Korvane and to let it analyse: it reads what a reload kept, starts Korvane and
// wires the state (store.mjs, changed only by actions.mjs) to the views, the runners of the
// engines and the controls. web/README.md maps the modules and the way data flows between them.
import * as act from './actions.mjs';
import { start_board_view } from './board-view.mjs';
import { start_controls } from './controls.mjs';
import { start_engine } from './engine.mjs';
import { start_graph_runner } from './graph-runner.mjs';
import { start_graph_view } from './graph-view.mjs';
import { start_moves_view } from './moves-view.mjs';
import { start_offline } from './offline.mjs';
import { start_opponent } from './opponent.mjs';
import { start_panel_view } from './panel-view.mjs';
import { start_record_view } from './record-view.mjs';
import { start_review_runner } from './review-runner.mjs';
import { start_review_view } from './review-view.mjs';
import { read_stored, start_storage } from './storage.mjs';
import { start_terms } from './terms-runner.mjs';
import { start_terms_view } from './terms-view.mjs';

act.restore({ ...read_stored(), visible: document.visibilityState !== 'hidden' });
start_board_view();
start_moves_view();
start_panel_view();
start_graph_view();
start_terms_view();
start_record_view();
start_review_view();
start_controls();
start_storage();
document.body.dataset.drawn = '';

let engine = null;
try {
    engine = start_engine((status, error) =>
        act.engine_failed(`Korvane stopped (${error ?? 'status ' + status}). Reload the page to start it again.`));
    engine.send('uci');
    engine.send('isready');
    engine.ready.then(act.engine_ready);
    start_opponent(engine);
    start_terms();
} catch (error) {
    act.engine_failed(`Korvane cannot start here: ${error.message}.`);
}
globalThis.korvane_log = engine?.log ?? [];  // every line sent to Korvane, for the tests
start_graph_runner();
start_review_runner();
start_offline();
