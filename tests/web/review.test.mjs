// The review's figures and words under node: winning chances, the accuracy of a move and of a
// game (worked out by hand for the series below), the judgements of moves and of mates, and the
// explanation of a loss by the evaluation's terms on positions whose answer is known, with the
// terms from the evaluation tool built for node (build-wasm/korvane-eval.mjs).
//   node --test tests/web/
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { existsSync } from 'node:fs';
import { test } from 'node:test';
import { fileURLToPath } from 'node:url';

import { START_FEN, make_game } from '../../web/game.mjs';
import { centipawn_loss, game_accuracy, judge_move, judgement_at, move_accuracy, review_summary, win_percent } from '../../web/review.mjs';
import { parse_terms } from '../../web/terms.mjs';
import { explain_loss } from '../../web/why.mjs';

const near = (actual, expected, label) => assert.ok(Math.abs(actual - expected) < 0.001, `${label}: ${actual} is not ${expected}`);

test('winning chances and a move\'s accuracy', () => {
    for (const [score, expected] of [[{ cp: 0 }, 50], [{ cp: 100 }, 59.1026], [{ cp: -100 }, 40.8974], [{ cp: 1000 }, 97.5447],
                                     [{ cp: -1000 }, 2.4553], [{ cp: 3000 }, 97.5447], [{ mate: 3 }, 97.5447], [{ mate: -1 }, 2.4553]])
        near(win_percent(score), expected, `Win% of ${JSON.stringify(score)}`);
    for (const [loss, expected] of [[0, 100], [-4, 100], [5, 80.8153], [10, 64.5798], [30, 25.772]])
        near(move_accuracy(loss), expected, `accuracy at a loss of ${loss}`);
});

test('a game\'s accuracy and centipawn loss, by hand', () => {
    const short = game_accuracy([15, -200, -200, 100], 'w');
    near(short.w, 100, 'White, four moves');
    near(short.b, 53.5917, 'Black, four moves');
    assert.deepEqual(centipawn_loss([15, -200, -200, 100], 'w'), { w: 0, b: 150 });
    // Thirty moves: windows of three positions.
    const cps = Array.from({ length: 30 }, (_, i) => ((i * 73) % 211 - 105) * (i % 3 ? 1 : 2));
    const long = game_accuracy(cps, 'w');
    near(long.w, 75.5908, 'White, thirty moves');
    near(long.b, 76.0305, 'Black, thirty moves');
    near(centipawn_loss(cps, 'w').w, 69.1333, 'White\'s loss, thirty moves');
    assert.deepEqual(game_accuracy([0], 'b'), { w: null, b: 100 });
});

test('moves judged by the winning chances they lose, and mates by who mates', () => {
    const id = (before, after, mover) => judge_move(before, after, mover)?.id ?? null;
    assert.equal(id({ cp: 0 }, { cp: -50 }, 'w'), null);
    assert.equal(id({ cp: 0 }, { cp: -120 }, 'w'), 'inaccuracy');
    assert.equal(id({ cp: 0 }, { cp: -240 }, 'w'), 'mistake');
    assert.equal(id({ cp: 0 }, { cp: -400 }, 'w'), 'blunder');
    assert.equal(id({ cp: 0 }, { cp: 400 }, 'b'), 'blunder');
    assert.equal(id({ cp: 0 }, { cp: -400 }, 'b'), null);
    // Mated by force after the move: judged by how the mover stood before.
    assert.equal(id({ cp: -1200 }, { mate: -4 }, 'w'), 'inaccuracy');
    assert.equal(id({ cp: -800 }, { mate: -4 }, 'w'), 'mistake');
    assert.equal(id({ cp: 50 }, { mate: 2 }, 'b'), 'blunder');
    // A forced mate let slip: judged by how the mover stands after.
    assert.equal(id({ mate: 3 }, { cp: 1200 }, 'w'), 'inaccuracy');
    assert.equal(id({ mate: 3 }, { cp: 800 }, 'w'), 'mistake');
    assert.equal(id({ mate: -2 }, { cp: -300 }, 'b'), 'blunder');
    assert.equal(id({ mate: 3 }, { mate: -5 }, 'w'), 'blunder');
    // A mate that only comes later, a mate escaped, a game won: not judged.
    assert.equal(id({ mate: 2 }, { mate: 6 }, 'w'), null);
    assert.equal(id({ mate: -2 }, { cp: -900 }, 'w'), null);
    assert.equal(id({ mate: 1 }, { result: '1-0' }, 'w'), null);
});

test('the best move and a forced move are never judged', () => {
    const game = make_game(START_FEN, ['e2e4', 'e7e5']);
    const review = { depth: 7, positions: [{ score: { cp: 30 }, best: 'e2e4' }, { score: { cp: -400 }, best: 'c7c5' }, { score: { cp: -400 } }] };
    assert.equal(judgement_at(game, review, 1), null);
    review.positions[0] = { score: { cp: 30 }, best: 'e2e4', forced: true };
    assert.equal(judgement_at(game, review, 1), null);
    review.positions[0] = { score: { cp: 30 }, best: 'd2d4' };
    assert.equal(judgement_at(game, review, 1)?.id, 'blunder');
    const summary = review_summary(game, review);
    assert.deepEqual([summary.w.blunders, summary.b.blunders, summary.b.acpl], [1, 0, 0]);
});

const TOOL = fileURLToPath(new URL('../../build-wasm/korvane-eval.mjs', import.meta.url));
const terms_of = fen => parse_terms(execFileSync(process.execPath, [TOOL, '--terms', ...fen.split(' ')], { encoding: 'utf8' }).trim().split('\n'));

test('a loss explained by the term that caused it', { skip: !existsSync(TOOL) && 'the WebAssembly build is needed' }, () => {
    const first = (mover, played, best) => explain_loss({ fen: played, terms: terms_of(played) }, { fen: best, terms: terms_of(best) }, mover);
    // A queen left to be taken.
    const queen = first('b', 'r1b1kbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 0 4',
                        'r1b1kbnr/pppp1ppp/2n5/4p3/4P2q/5N2/PPPP1PPP/RNBQKB1R b KQkq - 0 4');
    assert.deepEqual([queen.reasons[0].name, queen.reasons[0].detail, queen.total], ['Material', 'a queen', -980]);
    // A pawn storm that strips White's castled king, pawns traded for pawns.
    const storm = first('w', '2kr3r/ppp2p2/2n1bq2/8/8/2N1BQ2/PPP2P2/R4RK1 w - - 0 1', '2kr3r/ppp2ppp/2n1bq2/8/8/2N1BQ2/PPP2PPP/R4RK1 w - - 0 1');
    assert.deepEqual([storm.reasons[0].name, storm.reasons[0].detail], ['King', "White's pawn shield"]);
    // A black pawn let through.
    const passer = first('w', '6k1/7p/8/3p4/8/8/6PP/6K1 w - - 0 1', '6k1/6pp/8/3p4/2P5/8/6PP/6K1 w - - 0 1');
    assert.deepEqual([passer.reasons[0].name, passer.reasons[0].detail], ['Passed pawns', "Black's d-pawn"]);
    // The figures add up to the difference of the two static evaluations.
    for (const explained of [queen, storm, passer])
        assert.equal(explained.reasons.reduce((sum, reason) => sum + reason.cp, 0), explained.total);
});

test('a reviewed PGN comes back with its review, and is the same PGN when reviewed again', async () => {
    const { pgn_games, read_game } = await import('../../web/pgn.mjs');
    const { write_pgn } = await import('../../web/pgn-out.mjs');
    const { review_annotations, review_from_annotations } = await import('../../web/review.mjs');
    // A game that ends in mate: its last position has no evaluation of its own.
    const game = make_game(START_FEN, ['f2f3', 'e7e5', 'g2g4', 'd8h4']);
    const review = {
        depth: 7,
        positions: [{ score: { cp: 20 }, best: 'e2e4', pv: ['e2e4'] }, { score: { cp: -60 }, best: 'e7e5', pv: ['e7e5'] },
                    { score: { cp: -90 }, best: 'b1c3', pv: ['b1c3'] }, { score: { mate: -1 }, best: 'd8h4', pv: ['d8h4'] },
                    { score: { result: '0-1' } }],
    };
    const once = write_pgn(game, review_annotations(game, review));
    const read = (await read_game(pgn_games(once).games[0])).game;
    const restored = review_from_annotations(read, 7);
    assert.deepEqual(restored.positions.map(position => position?.score), review.positions.map(position => position.score));
    assert.deepEqual(restored.judged.map(judged => judged?.id ?? null), [null, null, 'blunder', null]);
    assert.ok(review_summary(read, restored));
    assert.equal(write_pgn(read, review_annotations(read, review)), once);
});
