// Why a move was judged, in the evaluation's own terms: the position Korvane's line leads to after
// the move played is compared with the one its line leads to after the best move, term by term
// (terms.mjs), from the mover's side. The largest differences are named in plain words with their
// size in pawns; the rest are summed as "Other terms", so that the figures add up to the difference
// of the two static evaluations.
import { game_end, line_end, line_sans, side_to_move } from './game.mjs';
import { judgement_at } from './review.mjs';
import { TERMS } from './terms.mjs';

const COLOURS = { w: 'White', b: 'Black' };
const NUMBERS = ['', 'a', 'two', 'three', 'four', 'five', 'six', 'seven', 'eight'];
const NAMED = 3;        // differences named in words
const SMALLEST = 5;     // centipawns below which a difference is not named

// The board of a FEN: board[rank][file] (rank 0 is the first rank) holds a piece letter or ''.
function board_of(fen)
{
    const board = fen.split(' ')[0].split('/').reverse().map(rank =>
        [...rank.replace(/\d/g, count => '.'.repeat(Number(count)))].map(square => (square === '.' ? '' : square)));
    return board;
}

const colour_of = piece => (piece === piece.toUpperCase() ? 'w' : 'b');
const other = colour => (colour === 'w' ? 'b' : 'w');

function squares_of(board, wanted)
{
    const found = [];
    board.forEach((rank, r) => rank.forEach((piece, f) => { if (piece === wanted) found.push([f, r]); }));
    return found;
}

function count_of(board, type, colour)
{
    return squares_of(board, colour === 'w' ? type.toUpperCase() : type).length;
}

function counted(number, noun)
{
    return `${NUMBERS[number] ?? number} ${noun}${number > 1 ? 's' : ''}`;
}

// The material the mover has less or more after the move played than after the best move, counting
// both sides: "a knight", "a rook for a knight", "a pawn more".
function material_words(played, best, mover)
{
    const change_of = type => {
        const net = board => count_of(board, type, mover) - count_of(board, type, other(mover));
        return net(played) - net(best);
    };
    // Knights and bishops are worth the same: a bishop given for a knight in one line is no loss.
    const knights = change_of('n');
    const bishops = change_of('b');
    const minor = knights * bishops >= 0 ? (knights ? 'knight' : 'bishop') : 'minor piece';
    const changes = [['queen', change_of('q')], ['rook', change_of('r')], [minor, knights + bishops], ['pawn', change_of('p')]];
    const less = changes.filter(([, change]) => change < 0).map(([noun, change]) => counted(-change, noun));
    const more = changes.filter(([, change]) => change > 0).map(([noun, change]) => counted(change, noun));
    if (less.length && more.length)
        return `${less.join(' and ')} for ${more.join(' and ')}`;
    if (less.length)
        return less.join(' and ');
    return more.length ? `${more.join(' and ')} more` : 'opposite-coloured bishops halve the material';
}

// The pawns in front of a king (its file and the files beside it, two ranks ahead) and the files
// there without a pawn of its side.
function king_cover(board, colour)
{
    const [[file, rank]] = squares_of(board, colour === 'w' ? 'K' : 'k');
    const pawn = colour === 'w' ? 'P' : 'p';
    const ahead = colour === 'w' ? [rank + 1, rank + 2] : [rank - 1, rank - 2];
    let shield = 0;
    let open = 0;
    for (let f = Math.max(0, file - 1); f <= Math.min(7, file + 1); ++f) {
        shield += ahead.filter(r => board[r]?.[f] === pawn).length;
        open += board.some(row => row[f] === pawn) ? 0 : 1;
    }
    return { shield, open };
}

function king_words(played, best, colour, endgame)
{
    const name = COLOURS[colour];
    if (endgame)
        return `how central ${name}'s king stands`;
    const now = king_cover(played, colour);
    const then = king_cover(best, colour);
    if (now.shield !== then.shield)
        return `${name}'s pawn shield`;
    return now.open !== then.open ? `open files by ${name}'s king` : `${name}'s king's square`;
}

// The passed pawns of a side: "file rank" of each, with no pawn of the other side ahead on its own
// file or the files beside it.
function passed_pawns(board, colour)
{
    const enemy = colour === 'w' ? 'p' : 'P';
    const ahead = (r, rank) => (colour === 'w' ? r > rank : r < rank);
    return squares_of(board, colour === 'w' ? 'P' : 'p').filter(([file, rank]) =>
        !board.some((row, r) => ahead(r, rank) && [file - 1, file, file + 1].some(f => row[f] === enemy)))
        .map(([file, rank]) => ({ file: 'abcdefgh'[file], progress: colour === 'w' ? rank : 7 - rank, square: `${file} ${rank}` }));
}

// The passed pawn that made the difference: one of the side the term went for that the other line
// does not have (new, or further on), its most advanced.
function passed_words(played, best, mover, change)
{
    const gainer = change < 0 ? other(mover) : mover;
    const [gained_in, lost_in] = change < 0 ? [played, best] : [best, played];
    const known = new Set(passed_pawns(lost_in, gainer).map(pawn => pawn.square));
    const fresh = passed_pawns(gained_in, gainer).filter(pawn => !known.has(pawn.square)).sort((a, b) => b.progress - a.progress);
    if (fresh.length)
        return `${COLOURS[gainer]}'s ${fresh[0].file}-pawn`;
    const loser = other(gainer);
    const kept = new Set(passed_pawns(gained_in, loser).map(pawn => pawn.square));
    const gone = passed_pawns(lost_in, loser).filter(pawn => !kept.has(pawn.square)).sort((a, b) => b.progress - a.progress);
    return gone.length ? `${COLOURS[loser]}'s ${gone[0].file}-pawn` : 'passed pawns';
}

function bishop_words(played, best)
{
    for (const colour of ['w', 'b'])
        if ((count_of(played, 'b', colour) >= 2) !== (count_of(best, 'b', colour) >= 2))
            return `${COLOURS[colour]}'s bishop pair`;
    return "the bishops' squares";
}

const WORDS = {
    'piece-squares': () => 'where the pieces stand',
    'pawn-structure': () => 'isolated, backward and doubled pawns',
    'queens': () => 'a queen on the seventh rank',
    'rooks': () => 'rooks on open files and the seventh rank',
    'knights': () => "a knight's outpost",
    'bishops': bishop_words,
};

// The White-view static evaluation of explained terms (a drawn ending scores 0).
function white_view(terms)
{
    return terms.drawn ? 0 : terms.sum.white - terms.sum.black;
}

// The explanation of a judged move: { total, reasons: [{ term, name, cp, detail }] } in
// centipawns from the mover's view (negative: what the move cost), with the reasons' cp adding up
// to total. played and best are { fen, terms } of the two lines' last positions.
export function explain_loss(played, best, mover)
{
    const sign = mover === 'w' ? 1 : -1;
    const boards = { played: board_of(played.fen), best: board_of(best.fen) };
    const value = (terms, term) => {
        const row = terms.rows.find(each => each.term === term);
        return sign * (row.white - row.black);
    };
    const side_value = (terms, term, colour) => terms.rows.find(each => each.term === term)[colour === 'w' ? 'white' : 'black'];
    const changes = Object.keys(TERMS).map(term => ({ term, cp: value(played.terms, term) - value(best.terms, term) }));
    const drawn = sign * ((white_view(played.terms) - played.terms.sum.white + played.terms.sum.black) -
                          (white_view(best.terms) - best.terms.sum.white + best.terms.sum.black));
    if (drawn !== 0)
        changes.push({ term: 'drawn', cp: drawn });
    const total = sign * (white_view(played.terms) - white_view(best.terms));
    const detail = ({ term, cp }) => {
        if (term === 'material')
            return material_words(boards.played, boards.best, mover);
        if (term === 'king') {
            const own = side_value(played.terms, 'king', mover) - side_value(best.terms, 'king', mover);
            const theirs = side_value(played.terms, 'king', other(mover)) - side_value(best.terms, 'king', other(mover));
            const colour = Math.abs(own) >= Math.abs(theirs) ? mover : other(mover);
            return king_words(boards.played, boards.best, colour, played.terms.phase === 'endgame');
        }
        if (term === 'passed-pawns')
            return passed_words(boards.played, boards.best, mover, cp);
        if (term === 'drawn')
            return 'a drawn ending, which Korvane scores 0';
        return WORDS[term](boards.played, boards.best);
    };
    const named = changes.filter(change => Math.abs(change.cp) >= SMALLEST).sort((a, b) => Math.abs(b.cp) - Math.abs(a.cp)).slice(0, NAMED);
    const reasons = named.map(change => ({ ...change, name: change.term === 'drawn' ? 'Drawn ending' : TERMS[change.term][0], detail: detail(change) }));
    const rest = total - reasons.reduce((sum, reason) => sum + reason.cp, 0);
    if (rest !== 0)
        reasons.push({ term: 'other', cp: rest, name: 'Other terms', detail: null });
    return { total, reasons };
}

// Whether a line of Korvane's is long enough to compare where it leads: a table hit can cut a
// reported line short of the depth searched.
export function line_is_long_enough(line, depth)
{
    return line.length >= Math.ceil(depth / 2);
}

// Centipawns as pawns for the explanation: "−3.2", "+0.45", "0".
export function pawns_text(cp)
{
    const text = String(Math.abs(cp) / 100);
    return cp < 0 ? `−${text}` : cp > 0 ? `+${text}` : '0';
}

// Why the move to ply was judged as it was, or null for a move not judged: { sentence } for a
// judgement of mates and for a move that ends the game; { short } where Korvane's lines are too
// short to compare; else the explanation of explain_loss with the two lines in SAN and their last
// positions. terms_of(fen) resolves to the evaluation tool's terms of a position.
export async function explain_move(game, review, ply, terms_of)
{
    const judged = judgement_at(game, review, ply);
    if (!judged)
        return null;
    const mover = side_to_move(game.fens[ply - 1]);
    const before = review.positions[ply - 1];
    const after = review.positions[ply];
    if (judged.kind === 'mate-created' && after?.score?.mate !== undefined)
        return { sentence: `After it ${COLOURS[other(mover)]} mates by force in ${Math.abs(after.score.mate)}.` };
    if (judged.kind === 'mate-lost' && before?.score?.mate !== undefined)
        return { sentence: `${COLOURS[mover]} had a forced mate in ${Math.abs(before.score.mate)} and lets it slip.` };
    const end = game_end(game, ply);
    if (end)
        return { sentence: `It ends the game. ${end.text}` };
    // After a move that leaves one legal reply, Korvane's line is that reply and its line after it.
    const played = after?.forced ? [after.best, ...(review.positions[ply + 1]?.pv ?? [])] : after?.pv ?? [];
    const best = before?.pv ?? [];
    if (!review.depth || !line_is_long_enough(played, review.depth) || !line_is_long_enough(best, review.depth))
        return { short: true };
    const ends = { played: line_end(game.fens[ply], played), best: line_end(game.fens[ply - 1], best) };
    const [played_terms, best_terms] = await Promise.all([terms_of(ends.played), terms_of(ends.best)]);
    if (!played_terms || !best_terms)
        return { short: true };
    return {
        ...explain_loss({ fen: ends.played, terms: played_terms }, { fen: ends.best, terms: best_terms }, mover),
        played: { start: game.fens[ply], line: line_sans(game.fens[ply], played), fen: ends.played },
        best: { start: game.fens[ply - 1], line: line_sans(game.fens[ply - 1], best), fen: ends.best },
    };
}
